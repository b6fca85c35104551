#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "web/http_form.h"

namespace mirelo {

inline constexpr char kRefreshAgent[] = "ZARODI(0.9/;p)";
inline constexpr char kRefreshData[] = "{\"command\":\"refresh\"}";

// The id the refresh request posts after a UDP notification: "appr_" + the user key for schedule and
// approval kinds (3 to 7 and 11), whose lists on the web server change with them; "" for every other
// kind, which sends nothing.
std::string RefreshId(int kind, std::string_view userKey);

// The form the refresh request posts: "id" and "data".
std::vector<FormParam> RefreshForm(std::string_view id);

}  // namespace mirelo
