// Regional-aware reading of numbers written by the program.
#include "monitor/RegionalNumber.h"

#include <string>

#include "platform/NumberText.h"

namespace monitor {

double RegionalVal(std::string_view text, const platform::Regional& regional) {
    const std::string symbol = regional.decimalSymbol();
    if (symbol.empty() || symbol == ".") return platform::Val(text);
    // The first regional symbol is the decimal point; text without one reads as Val reads it.
    const std::string_view::size_type at = text.find(symbol);
    if (at == std::string_view::npos) return platform::Val(text);
    std::string plain(text.substr(0, at));
    plain += '.';
    plain += text.substr(at + symbol.size());
    return platform::Val(plain);
}

}  // namespace monitor
