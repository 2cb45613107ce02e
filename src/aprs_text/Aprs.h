// The add-on's inherited class Aprs: text cutters for the frame text as the host hands it
// over, and the compressed position encoder. It decodes nothing; APRS decoding is the
// decoder's (src/decode/). Positions are 1-based; every search is exact and case-sensitive.
#pragma once

#include <optional>
#include <string>

namespace aprs_text {

class Aprs {
public:
    // Does no work; only its parameter list belongs to the class's interface.
    std::string Mic_E(const std::string& Lat, const std::string& PrimiLat, const std::string& Lon,
                      const std::string& PrimiLon, const std::string& Dir, const std::string& Vel,
                      const std::string& c, const std::string& MessageType) const;

    // Compressed position report body: 4 base-91 chars of latitude, 4 of longitude, the
    // optional extension and the compression-type character. Empty (or blank-only) text for
    // an optional argument means "not given"; a speed counts only with a course. Every
    // argument given must be one whole number ("12abc" and "45,5" are not) whose character
    // exists: latitude within +-90, longitude within +-180, course 0..363, speed 0 to about
    // 1100, range from 2, altitude from 1. Otherwise the whole result is the empty text.
    std::string Comp_Pos_Rep(const std::string& Lat, const std::string& Lon, const std::string& Dir,
                             const std::string& Vel, const std::string& Range,
                             const std::string& Alt) const;

    // The callsign between the first blank and the next ">" ("12:00:01 N0CALL-9>APRS..." ->
    // "N0CALL-9"); the empty text when there is no ">" after the blank.
    std::string Nominativo(const std::string& DatiAprs) const;
    // The text in front of "To" less one character, or nothing when there is no "To".
    // "To" at the very start gives the empty text.
    std::optional<std::string> NominativoAGW(const std::string& DatiAprs) const;
    // The data after ">:" less two characters at each end (from the fourth character when
    // there is no ">:"); the empty text when less than two characters are left to cut.
    std::string Dati(const std::string& DatiAprs) const;
    // The text after the first occurrence of the separator. Without it: the text from the
    // separator's length on (the whole text for one character); an empty separator gives the
    // whole text.
    std::string BeaconMessage(const std::string& DatiAprs, const std::string& Separatore) const;
};

}  // namespace aprs_text
