#include "formats/ipl/Placement.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "base/ByteOrder.h"

namespace korvane {

namespace {

int32_t LoadSigned(const unsigned char* p) { return int32_t(LoadLE32(p)); }
float LoadFloat(const unsigned char* p) { return std::bit_cast<float>(LoadLE32(p)); }

// Decimal digits of v, written backwards ending just before `end`; returns
// the first character.
template <class U>
char* DigitsBackwards(U v, char* end)
{
    do {
        *--end = char('0' + unsigned(v % 10));
        v /= 10;
    } while (v != 0);
    return end;
}

size_t FormatInt(int32_t v, char* out)
{
    char tmp[12];
    char* end = tmp + sizeof tmp;
    const uint32_t magnitude = v < 0 ? 0u - uint32_t(v) : uint32_t(v);
    char* p = DigitsBackwards(magnitude, end);
    if (v < 0) *--p = '-';
    const size_t n = size_t(end - p);
    std::memcpy(out, p, n);
    return n;
}

// Appends pieces of one line to a fixed buffer that every line fits in.
class TLineBuilder {
public:
    void Text(std::string_view s)
    {
        std::memcpy(p_, s.data(), s.size());
        p_ += s.size();
    }
    void Int(int32_t v) { p_ += FormatInt(v, p_); }
    void Float(float v) { p_ += FormatFloat2(v, p_); }
    void Separator() { Text(", "); }
    std::string_view Done()
    {
        std::string_view line(buf_, size_t(p_ - buf_));
        p_ = buf_;
        return line;
    }

private:
    // Eleven values of at most FloatTextMax characters with their separators.
    char buf_[16 * (FloatTextMax + 2)];
    char* p_ = buf_;
};

void Lines(TPlacementSink& sink, std::initializer_list<std::string_view> lines)
{
    for (std::string_view l : lines) sink.Line(l);
}

}  // namespace

TIplHeader ParseIplHeader(const unsigned char* bytes)
{
    TIplHeader h;
    std::memcpy(h.Magic, bytes, 4);
    h.InstanceCount = LoadSigned(bytes + 4);
    h.CarCount = LoadSigned(bytes + 20);
    h.InstanceOffset = LoadLE32(bytes + 28);
    h.CarOffset = LoadLE32(bytes + 60);
    return h;
}

size_t FormatFloat2(float v, char* out)
{
    if (std::isnan(v)) {
        std::memcpy(out, "NAN", 3);
        return 3;
    }
    if (std::isinf(v)) {
        if (v < 0) {
            std::memcpy(out, "-INF", 4);
            return 4;
        }
        std::memcpy(out, "INF", 3);
        return 3;
    }
    char tmp[FloatTextMax];
    char* end = tmp + sizeof tmp;
    char* p;
    const float a = std::fabs(v);
    if (a < 16777216.0f) {
        // A float has 24 significant bits, 100 needs 7 more: the product is
        // exact in a double, so std::round sees the float's exact value.
        const auto hundredths = uint64_t(std::round(double(a) * 100.0));
        if (hundredths == 0) {
            std::memcpy(out, "0.00", 4);
            return 4;
        }
        const uint64_t cents = hundredths % 100;
        *--end = char('0' + cents % 10);
        *--end = char('0' + cents / 10);
        *--end = '.';
        p = DigitsBackwards(hundredths / 100, end);
    } else {
        // From 2^24 on every float is a whole number, below 2^128 at most.
        const uint32_t bits = std::bit_cast<uint32_t>(a);
        const unsigned __int128 mantissa = (bits & 0x7FFFFFu) | 0x800000u;
        const int shift = int(bits >> 23) - 150;
        std::memcpy(end - 3, ".00", 3);
        end -= 3;
        p = DigitsBackwards(mantissa << shift, end);
        end += 3;
    }
    if (std::signbit(v)) *--p = '-';
    const size_t n = size_t(tmp + sizeof tmp - p);
    std::memcpy(out, p, n);
    return n;
}

void ConvertPlacement(TFile& file, uint64_t entryPos, const TIplHeader& header, std::string_view name,
                      TPlacementSink& sink)
{
    std::string first = "# IPL generated from binary IPL file ";
    first += name;
    Lines(sink, {first, "# Korvane 3.0", "inst"});

    // Records are streamed; nothing is sized from a count, so a count that
    // runs past the end of the file stops at the first record it lacks.
    TBufferedReader reader(file, 64 * 1024);
    TLineBuilder line;
    unsigned char rec[IplParkedCarSize];
    if (header.InstanceCount > 0) {
        reader.Seek(entryPos + header.InstanceOffset);
        for (int64_t n = 1; n <= header.InstanceCount; ++n) {
            reader.Read(rec, IplInstanceSize);
            line.Int(LoadSigned(rec + 28));
            line.Text(", item");
            line.Int(int32_t(n));
            line.Separator();
            line.Int(LoadSigned(rec + 32));
            for (int k = 0; k < 7; ++k) {
                line.Separator();
                line.Float(LoadFloat(rec + 4 * k));
            }
            line.Separator();
            line.Int(LoadSigned(rec + 36));
            sink.Line(line.Done());
        }
    }

    // The sections the binary form does not carry are written empty.
    Lines(sink, {"end", "cull", "end", "path", "end", "grge", "end", "enex", "end", "pick", "end", "cars"});

    if (header.CarCount > 0) {
        reader.Seek(entryPos + header.CarOffset);
        for (int32_t n = 0; n < header.CarCount; ++n) {
            reader.Read(rec, IplParkedCarSize);
            for (int k = 0; k < 4; ++k) {
                if (k) line.Separator();
                line.Float(LoadFloat(rec + 4 * k));
            }
            for (int k = 0; k < 8; ++k) {
                line.Separator();
                line.Int(LoadSigned(rec + 16 + 4 * k));
            }
            sink.Line(line.Done());
        }
    }

    Lines(sink, {"end", "jump", "end", "tcyc", "end", "mult", "end"});
}

}  // namespace korvane
