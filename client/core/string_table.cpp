#include "core/string_table.h"

namespace mirelo {

std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string result;
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (next != args.end()) result.append(*next++);
            ++i;
        } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '%') {
            result.push_back('%');
            ++i;
        } else {
            result.push_back(format[i]);
        }
    }
    return result;
}

}  // namespace mirelo
