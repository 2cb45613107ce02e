// Regional settings the program's number and date texts follow.
#pragma once

#include <string>

namespace platform {

struct DateTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The system's regional number and date formats. Nothing in the core reads the C locale.
class Regional {
public:
    virtual ~Regional() = default;
    // The decimal symbol, "." or "," on most systems.
    virtual std::string decimalSymbol() const = 0;
    // Short date pattern with the tokens d, dd, M, MM, yy, yyyy (for example "dd/MM/yyyy").
    virtual std::string shortDateFormat() const = 0;
    // Text for a program that reads the system's ANSI code page, and such text back as UTF-8.
    // Where the system has no such code page the text is UTF-8 already.
    virtual std::string ToAnsi(const std::string& utf8) const { return utf8; }
    virtual std::string FromAnsi(const std::string& ansi) const { return ansi; }
};

// A fixed regional setting; the default is the Italian one ("," and "dd/MM/yyyy").
class FixedRegional final : public Regional {
public:
    FixedRegional(std::string decimal = ",", std::string dateFormat = "dd/MM/yyyy")
        : decimal_(std::move(decimal)), dateFormat_(std::move(dateFormat)) {}
    std::string decimalSymbol() const override { return decimal_; }
    std::string shortDateFormat() const override { return dateFormat_; }
    void set(std::string decimal, std::string dateFormat) {
        decimal_ = std::move(decimal);
        dateFormat_ = std::move(dateFormat);
    }

private:
    std::string decimal_;
    std::string dateFormat_;
};

}  // namespace platform
