#pragma once

#include "store/notification_store.h"

namespace mirelo {

// The store's file operations over the C library and std::filesystem, for the native tools and tests.
class PosixStoreFiles final : public StoreFiles {
public:
    Contents Read(const std::string& path) override;
    using StoreFiles::Replace;
    std::string Replace(const std::string& path, std::span<const std::string_view> pieces) override;
    Move MoveAside(const std::string& from, const std::string& to, std::string* error) override;
};

}  // namespace mirelo
