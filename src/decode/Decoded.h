// One APRS frame, decoded: plain fields whose names carry their units.
#pragma once

#include <optional>
#include <string>

namespace decode {

// A TNC2 monitor line split into its parts: "SRC>DEST,PATH:payload".
struct Tnc2Frame {
    std::string source;
    std::string destination;
    std::string path;     // digipeater path as it stood, comma-separated, may be empty
    std::string payload;  // the information field, bytes kept as bytes
};

// What the decoder makes of a frame. Optional fields are absent when the frame does not
// carry them.
struct Decoded {
    std::string source;  // the station the data belongs to (inner source of third-party)
    std::string object;  // object or item name, empty for a plain station report
    bool objectKilled = false;
    std::optional<double> latitude_deg;   // north positive
    std::optional<double> longitude_deg;  // east positive
    std::optional<int> course_deg;        // 0..360, 0 = unknown in Mic-E/"ccc/sss"
    std::optional<double> speed_kmh;
    std::optional<double> altitude_m;
    std::optional<double> range_km;  // radio range of a compressed report
    // "EMERGENCY", "EN ROUTE", ..., "CUSTOM-0".."CUSTOM-6", "UNKNOWN"; empty when none.
    std::string messageType;
    bool emergencyInComment = false;  // the type came from "!EMERGENCY!", not from Mic-E bits
    std::string comment;              // comment or status text
    bool isStatus = false;
    std::string tnc2;   // the (inner, for third-party) frame as one TNC2 line
    Tnc2Frame parts;    // the same frame in its parts
    std::string error;  // non-empty when the frame could not be decoded
};

}  // namespace decode
