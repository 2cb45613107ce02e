// The settings access every form uses: one value read or written per call, through the
// profile-file layer.
#include "settings/GestioneINI_New.h"

#include <algorithm>

#include "platform/NumberText.h"
#include "settings/ProfileFile.h"

namespace settings {

namespace {
constexpr int kBufferSize = 255;
}

std::string GestioneINI_New::LeggiValore(const std::string& File, const std::string& Sezione,
                                         const std::string& Chiave) {
    std::string value = ReadProfileString(File, Sezione, Chiave, kBufferSize);
    lastReadCount_ = static_cast<std::int16_t>(std::min<size_t>(value.size(), INT16_MAX));
    return value;
}

void GestioneINI_New::ScriviValore(const std::string& File, const std::string& Sezione,
                                   const std::string& Chiave, const std::string& Valore) {
    lastWriteResult_ = WriteProfileString(File, Sezione, Chiave, Valore) ? 1 : 0;
}

void GestioneINI_New::ScriviValore(const std::string& File, const std::string& Sezione,
                                   const std::string& Chiave, double Valore) {
    ScriviValore(File, Sezione, Chiave, platform::NumberText(Valore, regional_));
}

void GestioneINI_New::ScriviValore(const std::string& File, const std::string& Sezione,
                                   const std::string& Chiave, float Valore) {
    ScriviValore(File, Sezione, Chiave, platform::SingleText(Valore, regional_));
}

std::string GestioneINI_New::Version(const platform::VersionNumbers& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + std::to_string(v.revision);
}

}  // namespace settings
