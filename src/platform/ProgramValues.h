// Program-wide values, set at start-up and shared by reference with every subsystem.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct ProgramValues {
    std::string FileIni;         // the add-on's settings file
    std::string CartellaUIView;  // the host's install folder, as stored
    std::string HelpFile;        // the program's help file, opened by the help menu
    std::string VersioneProgramma;
    double VersioneMinima = 0;  // the lowest host version accepted, set at start-up

    int CodiceLingua = 1000;       // 1000 Italian, 2000 English
    std::int16_t UnitaMisura = 1;  // 1 metric, anything else imperial
    double FattoreUnita = 1.0;     // 1 or 1.609344

    float SpessoreCerchio = 5;
    std::int32_t ColoreCerchio = 255;
    float TipoRiempimento = 7;
    double ColoreRiempimento = 16777215;

    std::int16_t ModoTest = 0;
    std::string TipoMessaggio = "EMERGENCY";

    std::string NominativoStazione;
    std::string LongitudineStazioneText;  // as read from the host's settings file
    std::string LatitudineStazioneText;
    double LongitudineStazione = 0;  // decimal degrees after start-up
    double LatitudineStazione = 0;
};

}  // namespace platform
