// Build-time tool: writes the alarm sound (a two-tone siren) and the program's icon as PNG,
// so both ship as files of our own without binary blobs in the repository.
// Usage: make_assets WAV_PATH PNG_PATH
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "platform/ProgramIcon.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutLe(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutBe32(Bytes& out, std::uint32_t value) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A wailing siren: the pitch sweeps up and down twice, with short fades so the alarm's
// repeats every two seconds do not click.
Bytes SirenWav() {
    constexpr int kRate = 22050;
    constexpr double kSeconds = 1.6;
    const int samples = static_cast<int>(kRate * kSeconds);
    Bytes pcm;
    double phase = 0;
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double sweep = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * t / (kSeconds / 2));
        const double freq = 650 + 650 * sweep;
        phase += 2 * std::numbers::pi * freq / kRate;
        const double fade = std::min({1.0, t / 0.02, (kSeconds - t) / 0.05});
        // A little third harmonic gives it the edge of a mechanical siren.
        const double v = 0.6 * std::sin(phase) + 0.15 * std::sin(3 * phase);
        PutLe(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(v * fade * 32767 * 0.8)),
              2);
    }
    Bytes wav{'R', 'I', 'F', 'F'};
    PutLe(wav, static_cast<std::uint32_t>(36 + pcm.size()), 4);
    for (char c : std::string("WAVEfmt ")) wav.push_back(static_cast<std::uint8_t>(c));
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);  // PCM
    PutLe(wav, 1, 2);  // mono
    PutLe(wav, kRate, 4);
    PutLe(wav, kRate * 2, 4);
    PutLe(wav, 2, 2);
    PutLe(wav, 16, 2);
    for (char c : std::string("data")) wav.push_back(static_cast<std::uint8_t>(c));
    PutLe(wav, static_cast<std::uint32_t>(pcm.size()), 4);
    wav.insert(wav.end(), pcm.begin(), pcm.end());
    return wav;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutChunk(Bytes& png, const char* type, const Bytes& body) {
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    PutBe32(png, static_cast<std::uint32_t>(body.size()));
    png.insert(png.end(), typed.begin(), typed.end());
    PutBe32(png, Crc32(typed.data(), typed.size()));
}

// zlib stream made of stored (uncompressed) blocks: small enough for an icon, no zlib needed.
Bytes StoredZlib(const Bytes& raw) {
    Bytes z{0x78, 0x01};
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        PutLe(z, static_cast<std::uint32_t>(n), 2);
        PutLe(z, static_cast<std::uint32_t>(~n & 0xFFFF), 2);
        z.insert(z.end(), raw.begin() + static_cast<long>(pos),
                 raw.begin() + static_cast<long>(pos + n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);
    return z;
}

Bytes IconPng(int size) {
    const Bytes rgba = platform::ProgramIconRgba(size);
    const auto row = static_cast<std::size_t>(size) * 4;
    Bytes raw;
    for (std::size_t y = 0; y < static_cast<std::size_t>(size); ++y) {
        raw.push_back(0);  // filter: none
        raw.insert(raw.end(), rgba.begin() + y * row, rgba.begin() + (y + 1) * row);
    }
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    PutBe32(header, static_cast<std::uint32_t>(size));
    PutBe32(header, static_cast<std::uint32_t>(size));
    for (std::uint8_t v : {8, 6, 0, 0, 0}) header.push_back(v);  // 8-bit RGBA
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", StoredZlib(raw));
    PutChunk(png, "IEND", {});
    return png;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

// A build step's tool: its standard error is its whole interface, so it writes there directly.
int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_assets WAV_PATH PNG_PATH\n";
        return 2;
    }
    if (!WriteFile(argv[1], SirenWav()) || !WriteFile(argv[2], IconPng(64))) {
        std::cerr << "make_assets: cannot write the output files\n";
        return 1;
    }
    return 0;
}
