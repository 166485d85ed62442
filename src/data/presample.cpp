#include "data/presample.h"

#include "base/numbers.h"

namespace velta {

std::string BadCellDetail(const std::string& cellName, const std::string& text) {
    if (text.empty()) return "Cell " + cellName + " is empty.";
    if (IsAmbiguousComma(text)) {
        std::string t(text.substr(text.find_first_not_of(" \t\r\n")));
        t.erase(t.find_last_not_of(" \t\r\n") + 1);
        std::string thousands = t, decimal = t;
        thousands.erase(thousands.find(','), 1);
        decimal[decimal.find(',')] = '.';
        return "Cell " + cellName + " holds \"" + t + "\", which reads as " + thousands +
               " with a thousands separator or as " + decimal +
               " with a decimal comma: type the number without the separator, or with a point.";
    }
    return "Cell " + cellName + " holds \"" + text.substr(0, 40) + (text.size() > 40 ? "..." : "") +
           "\", which is not a number.";
}

}  // namespace velta
