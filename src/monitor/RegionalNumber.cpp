// Regional-aware reading of numbers written by the program.
#include "monitor/RegionalNumber.h"

#include <string>

#include "platform/NumberText.h"

namespace monitor {

double RegionalVal(std::string_view text, const platform::Regional& regional) {
    const std::string symbol = regional.decimalSymbol();
    if (symbol.empty() || symbol == ".") return platform::Val(text);
    std::string plain(text);
    // The first regional symbol is the decimal point; text without one reads as Val reads it.
    std::string::size_type at = plain.find(symbol);
    if (at == std::string::npos) return platform::Val(plain);
    plain.replace(at, symbol.size(), ".");
    return platform::Val(plain);
}

}  // namespace monitor
