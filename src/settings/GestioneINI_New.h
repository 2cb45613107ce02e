// The program's access to settings files: one value at a time, nothing held open.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Ports.h"
#include "platform/Regional.h"

namespace settings {

class GestioneINI_New {
public:
    explicit GestioneINI_New(const platform::Regional& regional) : regional_(regional) {}

    // The stored text, cut to 254 characters, or the empty text.
    std::string LeggiValore(const std::string& File, const std::string& Sezione,
                            const std::string& Chiave);
    // Stores the text; a failed write reports nothing and leaves the old file intact.
    void ScriviValore(const std::string& File, const std::string& Sezione,
                      const std::string& Chiave, const std::string& Valore);
    // Numbers are stored in the platform's default number-to-text form (255 -> "255"); a
    // single-precision value in its own shortest form, so 2.3f is stored as "2.3".
    void ScriviValore(const std::string& File, const std::string& Sezione,
                      const std::string& Chiave, double Valore);
    void ScriviValore(const std::string& File, const std::string& Sezione,
                      const std::string& Chiave, float Valore);
    void ScriviValore(const std::string& File, const std::string& Sezione,
                      const std::string& Chiave, int Valore) {
        ScriviValore(File, Sezione, Chiave, static_cast<double>(Valore));
    }

    // "major.minor" + revision without a separator: 1.1.1 -> "1.11", 1.0.5 -> "1.05".
    static std::string Version(const platform::VersionNumbers& v);

private:
    const platform::Regional& regional_;
    std::int16_t lastReadCount_ = 0;
    std::int16_t lastWriteResult_ = 0;
};

}  // namespace settings
