#include "swf/image/Jpeg.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <vector>

namespace swf {
namespace {

// Data that is no JPEG this decoder reads. Kept apart from FormatError so that a movie
// whose budget runs out is still refused as a whole.
struct BadJpeg {};

[[noreturn]] void Bad()
{
    throw BadJpeg{};
}

// Position in a block of each coefficient in the order the file stores them.
constexpr uint8_t kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// c(u)/2 * cos((2x+1)u*pi/16) in 1/8192ths, row x, column u: one dimension of the inverse
// transform, as integers so that every build computes the same samples.
constexpr int64_t kIdct[8][8] = {
    {2896, 4017, 3784, 3406, 2896, 2276, 1567, 799},     {2896, 3406, 1567, -799, -2896, -4017, -3784, -2276},
    {2896, 2276, -1567, -4017, -2896, 799, 3784, 3406},  {2896, 799, -3784, -2276, 2896, 3406, -1567, -4017},
    {2896, -799, -3784, 2276, 2896, -3406, -1567, 4017}, {2896, -2276, -1567, 4017, -2896, -799, 3784, -3406},
    {2896, -3406, 1567, 799, -2896, 4017, -3784, 2276},  {2896, -4017, 3784, -3406, 2896, -2276, 1567, -799},
};

// Scans one image may have: enough for any progressive encoder, and a bound on the work.
constexpr int kMaxScans = 128;

uint8_t Clamp255(int64_t v)
{
    return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255));
}

int16_t Clamp16(int32_t v)
{
    return static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767));
}

// The entropy-coded bits of a scan, with stuffed zero bytes removed. At a marker or the
// end of the data it supplies zero bits and remembers that it ran dry.
class BitReader {
public:
    BitReader(const uint8_t* p, const uint8_t* end) : m_p(p), m_end(end) {}

    // The next `n` bits (at most 16), left where they are.
    uint32_t Peek(int n)
    {
        while (m_nCount < n)
            Fill();
        return (m_bits >> (m_nCount - n)) & ((1u << n) - 1);
    }
    void Skip(int n) { m_nCount -= n; }
    uint32_t Bits(int n)
    {
        const uint32_t v = Peek(n);
        m_nCount -= n;
        return v;
    }
    // Coefficient bits: `s` bits read as a signed value.
    int32_t Receive(int s)
    {
        if (s == 0)
            return 0;
        if (s > 15)
            Bad();
        const int32_t v = static_cast<int32_t>(Bits(s));
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }
    // Whether bits past the data were taken.
    bool Starved() const { return m_nMissing > m_nCount; }
    // At a restart interval's end: drops the unused bits and steps over the restart marker.
    void Restart()
    {
        m_nCount = 0;
        m_bMarker = false;
        m_nMissing = 0;
        const uint8_t* p = m_p;
        while (p < m_end && *p == 0xFF)
            ++p;
        if (p > m_p && p < m_end && *p >= 0xD0 && *p <= 0xD7)
            m_p = p + 1;
    }
    const uint8_t* Position() const { return m_p; }

private:
    void Fill()
    {
        uint32_t byte = 0;
        if (!m_bMarker && m_p < m_end && *m_p != 0xFF) {
            byte = *m_p++;
        } else if (!m_bMarker && m_end - m_p >= 2 && m_p[1] == 0x00) {
            byte = 0xFF;
            m_p += 2;
        } else {
            m_bMarker = true;
            m_nMissing += 8;
        }
        m_bits = m_bits << 8 | byte;
        m_nCount += 8;
    }

    const uint8_t* m_p;
    const uint8_t* m_end;
    uint32_t m_bits = 0;
    int m_nCount = 0;
    int m_nMissing = 0;  // zero bits supplied past the data, at the end of the buffer
    bool m_bMarker = false;
};

// A Huffman table as the file defines it: code counts by length and the symbols in order.
struct HuffmanTable {
    bool defined = false;
    int32_t maxCode[17] = {};
    int32_t minCode[17] = {};
    int32_t first[17] = {};
    uint8_t symbols[256] = {};
    // By the next kFastBits bits: a shorter code's length << 8 | its symbol, or 0.
    static constexpr int kFastBits = 9;
    uint16_t fast[1 << kFastBits] = {};

    void BuildFast()
    {
        std::fill(std::begin(fast), std::end(fast), uint16_t{0});
        for (int len = 1; len <= kFastBits; ++len)
            for (int32_t code = minCode[len]; code <= maxCode[len]; ++code) {
                const int shift = kFastBits - len;
                const uint16_t entry = static_cast<uint16_t>(len << 8 | symbols[first[len] + code - minCode[len]]);
                std::fill(fast + (code << shift), fast + ((code + 1) << shift), entry);
            }
    }

    int Decode(BitReader& r) const
    {
        int32_t code = static_cast<int32_t>(r.Peek(kFastBits));
        if (const uint16_t entry = fast[code]) {
            r.Skip(entry >> 8);
            return entry & 0xFF;
        }
        r.Skip(kFastBits);
        for (int len = kFastBits + 1; len <= 16; ++len) {
            code = code << 1 | static_cast<int32_t>(r.Bits(1));
            if (code <= maxCode[len])
                return symbols[first[len] + code - minCode[len]];
        }
        if (r.Starved())
            return 0;
        Bad();
    }
};

struct Component {
    int id = 0;
    int h = 1, v = 1;  // sampling factors
    int tq = 0;        // quantization table
    int dcTable = 0, acTable = 0;
    int blocksW = 0, blocksH = 0;  // blocks stored: whole MCUs
    int usedW = 0, usedH = 0;      // blocks that hold the component's samples
    int width = 0, height = 0;     // the component's samples
    std::vector<int16_t> coefs;    // every block's, when the image comes in several scans
    std::vector<uint8_t> window;   // samples of two MCU rows, reused round the image
    std::array<uint16_t, 64> quant{};
    bool quantSet = false;
    int32_t dcPred = 0;
};

// Refunds what the decoder spent when it ends, whichever way.
class BudgetHold {
public:
    explicit BudgetHold(ByteBudget& bytes) : m_bytes(bytes) {}
    ~BudgetHold() { m_bytes.Refund(m_nHeld); }
    BudgetHold(const BudgetHold&) = delete;
    BudgetHold& operator=(const BudgetHold&) = delete;
    void Spend(std::size_t count, std::size_t each)
    {
        m_bytes.Spend(count, each);
        m_nHeld += count * each;
    }

private:
    ByteBudget& m_bytes;
    std::size_t m_nHeld = 0;
};

// A segment's bytes, read with bounds.
class Segment {
public:
    Segment(const uint8_t* p, std::size_t n) : m_p(p), m_n(n) {}
    uint8_t U8()
    {
        if (m_nPos >= m_n)
            Bad();
        return m_p[m_nPos++];
    }
    uint16_t U16()
    {
        const uint16_t hi = U8();
        return static_cast<uint16_t>(hi << 8 | U8());
    }
    std::size_t Left() const { return m_n - m_nPos; }
    const uint8_t* Here() const { return m_p + m_nPos; }

private:
    const uint8_t* m_p;
    std::size_t m_n;
    std::size_t m_nPos = 0;
};

class Decoder {
public:
    Decoder(const uint8_t* data, std::size_t size, std::size_t maxPixels, ByteBudget& bytes, Bitmap& out)
        : m_p(data), m_end(data + size), m_nMaxPixels(maxPixels), m_hold(bytes), m_out(out)
    {
    }

    void Run()
    {
        while (NextMarker()) {
            const uint8_t marker = *m_p++;
            if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
                continue;
            if (marker == 0xD9) {
                if (m_nScans > 0)
                    break;
                continue;  // the end of a tables-only stream before the image's own
            }
            if (m_end - m_p < 2)
                Bad();
            const std::size_t len = static_cast<std::size_t>(m_p[0] << 8 | m_p[1]);
            if (len < 2 || len > static_cast<std::size_t>(m_end - m_p))
                Bad();
            Segment seg(m_p + 2, len - 2);
            m_p += len;
            switch (marker) {
            case 0xC0:
            case 0xC1:
            case 0xC2: ReadFrame(seg, marker == 0xC2); break;
            case 0xC4: ReadHuffman(seg); break;
            case 0xDB: ReadQuant(seg); break;
            case 0xDD: m_nRestart = seg.U16(); break;
            case 0xDA: ReadScan(seg); break;
            case 0xE0:
                if (seg.Left() >= 5 && std::memcmp(seg.Here(), "JFIF", 5) == 0)
                    m_bJfif = true;
                break;
            case 0xEE:
                if (seg.Left() >= 12 && std::memcmp(seg.Here(), "Adobe", 5) == 0)
                    m_nAdobeTransform = seg.Here()[11];
                break;
            default:
                // Lossless, hierarchical and arithmetic-coded frames are not read.
                if ((marker >= 0xC3 && marker <= 0xCF && marker != 0xC8) || marker == 0xDC)
                    Bad();
                break;  // application data and comments
            }
        }
        if (m_nScans == 0)
            Bad();
        if (m_nNextRow == 0)
            DrawStored();
    }

private:
    // Steps to the next marker's code; false at the data's end.
    bool NextMarker()
    {
        while (m_p < m_end) {
            if (*m_p++ != 0xFF)
                continue;
            while (m_p < m_end && *m_p == 0xFF)
                ++m_p;
            if (m_p < m_end && *m_p != 0x00)
                return true;
        }
        return false;
    }

    void ReadQuant(Segment& seg)
    {
        while (seg.Left() > 0) {
            const uint8_t pq = seg.U8();
            const int t = pq & 15, precision = pq >> 4;
            if (t > 3 || precision > 1)
                Bad();
            for (int k = 0; k < 64; ++k)
                m_quant[t][kZigzag[k]] = precision ? seg.U16() : seg.U8();
            m_quantSet[t] = true;
        }
    }

    void ReadHuffman(Segment& seg)
    {
        while (seg.Left() > 0) {
            const uint8_t tc = seg.U8();
            if ((tc >> 4) > 1 || (tc & 15) > 3)
                Bad();
            HuffmanTable& table = m_huffman[tc >> 4][tc & 15];
            int counts[17] = {};
            int total = 0;
            for (int len = 1; len <= 16; ++len) {
                counts[len] = seg.U8();
                total += counts[len];
            }
            if (total > 256)
                Bad();
            for (int i = 0; i < total; ++i)
                table.symbols[i] = seg.U8();
            int32_t code = 0;
            int k = 0;
            for (int len = 1; len <= 16; ++len) {
                table.first[len] = k;
                table.minCode[len] = code;
                code += counts[len];
                k += counts[len];
                if (code > (1 << len))
                    Bad();  // more codes than the length allows
                table.maxCode[len] = counts[len] ? code - 1 : -1;
                code <<= 1;
            }
            table.BuildFast();
            table.defined = true;
        }
    }

    void ReadFrame(Segment& seg, bool progressive)
    {
        if (!m_components.empty() || seg.U8() != 8)
            Bad();
        m_bProgressive = progressive;
        m_nHeight = seg.U16();
        m_nWidth = seg.U16();
        const int count = seg.U8();
        if (m_nWidth == 0 || m_nHeight == 0 || (count != 1 && count != 3) ||
            static_cast<std::size_t>(m_nWidth) * m_nHeight > m_nMaxPixels)
            Bad();
        m_components.resize(count);
        for (Component& c : m_components) {
            c.id = seg.U8();
            const uint8_t hv = seg.U8();
            c.h = hv >> 4;
            c.v = hv & 15;
            c.tq = seg.U8();
            if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.tq > 3)
                Bad();
            if (count == 1)
                c.h = c.v = 1;  // a lone component's blocks are its MCUs
            m_nMaxH = std::max(m_nMaxH, c.h);
            m_nMaxV = std::max(m_nMaxV, c.v);
        }
        m_nMcusX = (m_nWidth + 8 * m_nMaxH - 1) / (8 * m_nMaxH);
        m_nMcusY = (m_nHeight + 8 * m_nMaxV - 1) / (8 * m_nMaxV);
        for (Component& c : m_components) {
            if (m_nMaxH % c.h != 0 || m_nMaxV % c.v != 0)
                Bad();
            c.width = (m_nWidth * c.h + m_nMaxH - 1) / m_nMaxH;
            c.height = (m_nHeight * c.v + m_nMaxV - 1) / m_nMaxV;
            c.usedW = (c.width + 7) / 8;
            c.usedH = (c.height + 7) / 8;
            c.blocksW = m_nMcusX * c.h;
            c.blocksH = m_nMcusY * c.v;
            const std::size_t window = static_cast<std::size_t>(c.blocksW) * 8 * WindowRows(c);
            m_hold.Spend(window, 1);
            c.window.assign(window, 0);
        }
    }

    static int WindowRows(const Component& c) { return 2 * 8 * c.v; }
    static uint8_t* WindowRow(Component& c, int row)
    {
        return &c.window[static_cast<std::size_t>(row % WindowRows(c)) * c.blocksW * 8];
    }
    static const uint8_t* WindowRow(const Component& c, int row)
    {
        return &c.window[static_cast<std::size_t>(row % WindowRows(c)) * c.blocksW * 8];
    }

    void ReadScan(Segment& seg)
    {
        if (m_components.empty() || ++m_nScans > kMaxScans)
            Bad();
        if (m_nNextRow > 0)
            return;  // the image is drawn: a sequential image's scan after its single one
        const int count = seg.U8();
        if (count < 1 || count > static_cast<int>(m_components.size()))
            Bad();
        std::vector<Component*> scan;
        int blocksPerMcu = 0;
        for (int i = 0; i < count; ++i) {
            const int id = seg.U8();
            const uint8_t tables = seg.U8();
            auto it = std::find_if(m_components.begin(), m_components.end(), [id](const Component& c) { return c.id == id; });
            if (it == m_components.end() || std::find(scan.begin(), scan.end(), &*it) != scan.end() ||
                (tables >> 4) > 3 || (tables & 15) > 3)
                Bad();
            it->dcTable = tables >> 4;
            it->acTable = tables & 15;
            blocksPerMcu += it->h * it->v;
            scan.push_back(&*it);
        }
        m_nSs = seg.U8();
        m_nSe = seg.U8();
        const uint8_t a = seg.U8();
        m_nAh = a >> 4;
        m_nAl = a & 15;
        if (!m_bProgressive) {
            m_nSs = 0;
            m_nSe = 63;
            m_nAh = m_nAl = 0;
        } else if (m_nSs > m_nSe || m_nSe > 63 || (m_nSs == 0 && m_nSe != 0) || (m_nSs > 0 && count != 1) ||
                   m_nAl > 13 || m_nAh > 13) {
            Bad();
        }
        if (count > 1 && blocksPerMcu > 10)
            Bad();
        for (Component* c : scan) {
            const bool needsDc = m_nSs == 0 && m_nAh == 0;
            if ((needsDc && !m_huffman[0][c->dcTable].defined) || (m_nSe > 0 && !m_huffman[1][c->acTable].defined))
                Bad();
            if (!c->quantSet) {
                if (!m_quantSet[c->tq])
                    Bad();
                c->quant = m_quant[c->tq];
                c->quantSet = true;
            }
            c->dcPred = 0;
        }
        // A sequential image in one scan is drawn as it is decoded; others keep every
        // block's coefficients until their last scan.
        const bool direct = !m_bProgressive && scan.size() == m_components.size() && m_nScans == 1;
        if (!direct)
            for (Component& c : m_components)
                if (c.coefs.empty()) {
                    const std::size_t coefs = static_cast<std::size_t>(c.blocksW) * c.blocksH * 64;
                    m_hold.Spend(coefs, sizeof(int16_t));
                    c.coefs.assign(coefs, 0);
                }
        DecodeScan(scan, direct);
    }

    int16_t* StoredBlock(Component& c, int bx, int by)
    {
        return &c.coefs[(static_cast<std::size_t>(by) * c.blocksW + bx) * 64];
    }

    void DecodeScan(const std::vector<Component*>& scan, bool direct)
    {
        BitReader r(m_p, m_end);
        int16_t block[64];
        m_nEobRun = 0;
        const bool single = scan.size() == 1;
        const int unitsX = single ? scan[0]->usedW : m_nMcusX;
        const std::size_t units = static_cast<std::size_t>(unitsX) * (single ? scan[0]->usedH : m_nMcusY);
        for (std::size_t i = 0; i < units; ++i) {
            if (m_nRestart > 0 && i > 0 && i % m_nRestart == 0) {
                r.Restart();
                m_nEobRun = 0;
                for (Component* c : scan)
                    c->dcPred = 0;
            }
            // Once the scan's data ended early, the rest stays as it is (drawn grey).
            const bool starved = r.Starved();
            if (starved && !direct)
                break;
            const int ux = static_cast<int>(i % unitsX), uy = static_cast<int>(i / unitsX);
            for (Component* c : scan) {
                // A scan of one component goes block by block.
                const int nh = single ? 1 : c->h, nv = single ? 1 : c->v;
                for (int by = 0; by < nv; ++by)
                    for (int bx = 0; bx < nh; ++bx) {
                        const int x = ux * nh + bx, y = uy * nv + by;
                        if (!direct) {
                            DecodeBlock(r, *c, StoredBlock(*c, x, y));
                            continue;
                        }
                        std::fill(block, block + 64, int16_t{0});
                        if (!starved)
                            DecodeBlock(r, *c, block);
                        InverseTransform(block, c->quant, WindowRow(*c, y * 8) + x * 8, c->blocksW * 8);
                    }
            }
            if (direct && ux == unitsX - 1)
                DrawRows(uy);
        }
        m_p = r.Position();
    }

    void DecodeBlock(BitReader& r, Component& c, int16_t* coef)
    {
        const HuffmanTable& dc = m_huffman[0][c.dcTable];
        const HuffmanTable& ac = m_huffman[1][c.acTable];
        if (m_nSs == 0) {
            if (m_nAh == 0) {
                c.dcPred = std::clamp<int32_t>(c.dcPred + r.Receive(dc.Decode(r)), -65536, 65535);
                coef[0] = Clamp16(c.dcPred * (1 << m_nAl));
            } else if (r.Bits(1)) {
                coef[0] = static_cast<int16_t>(coef[0] | (1 << m_nAl));
            }
            if (m_nSe == 0)
                return;
        }
        if (m_nAh == 0)
            DecodeAcFirst(r, ac, coef);
        else
            DecodeAcRefine(r, ac, coef);
    }

    void DecodeAcFirst(BitReader& r, const HuffmanTable& ac, int16_t* coef)
    {
        if (m_nEobRun > 0) {
            --m_nEobRun;
            return;
        }
        for (int k = std::max(m_nSs, 1); k <= m_nSe; ++k) {
            const int rs = ac.Decode(r), run = rs >> 4, size = rs & 15;
            if (size == 0) {
                if (run == 15) {
                    k += 15;
                    continue;
                }
                if (m_bProgressive)
                    m_nEobRun = (1 << run) - 1 + static_cast<int32_t>(r.Bits(run));
                return;
            }
            k += run;
            if (k > 63)
                Bad();
            coef[kZigzag[k]] = Clamp16(r.Receive(size) * (1 << m_nAl));
        }
    }

    // Adds one more bit to each coefficient that already has a value, and places the
    // coefficients that become non-zero at this bit.
    void DecodeAcRefine(BitReader& r, const HuffmanTable& ac, int16_t* coef)
    {
        const int p1 = 1 << m_nAl, m1 = -p1;
        int k = m_nSs;
        auto refine = [&](int16_t& c) {
            if (r.Bits(1) && (c & p1) == 0)
                c = Clamp16(c + (c >= 0 ? p1 : m1));
        };
        if (m_nEobRun == 0) {
            for (; k <= m_nSe; ++k) {
                const int rs = ac.Decode(r);
                int run = rs >> 4;
                const int size = rs & 15;
                int value = 0;
                if (size != 0) {
                    value = r.Bits(1) ? p1 : m1;
                } else if (run != 15) {
                    m_nEobRun = (1 << run) + static_cast<int32_t>(r.Bits(run));
                    break;
                }
                for (; k <= m_nSe; ++k) {
                    int16_t& c = coef[kZigzag[k]];
                    if (c != 0) {
                        refine(c);
                    } else {
                        if (run == 0) {
                            if (value != 0)
                                c = static_cast<int16_t>(value);
                            break;
                        }
                        --run;
                    }
                }
            }
        }
        if (m_nEobRun > 0) {
            for (; k <= m_nSe; ++k) {
                int16_t& c = coef[kZigzag[k]];
                if (c != 0)
                    refine(c);
            }
            --m_nEobRun;
        }
    }

    static void InverseTransform(const int16_t* coef, const std::array<uint16_t, 64>& quant, uint8_t* out,
                                 std::size_t stride)
    {
        int64_t rows[64];
        bool flat = true;  // only the mean is there: every sample the same
        for (int v = 0; v < 8; ++v) {
            int64_t f[8];
            bool zero = true;
            for (int u = 0; u < 8; ++u) {
                f[u] = int64_t{coef[v * 8 + u]} * quant[v * 8 + u];
                zero = zero && (f[u] == 0 || v * 8 + u == 0);
            }
            flat = flat && zero;
            if (zero && v > 0) {
                std::fill(rows + v * 8, rows + v * 8 + 8, int64_t{0});
                continue;
            }
            for (int x = 0; x < 8; ++x) {
                int64_t sum = 0;
                for (int u = 0; u < 8; ++u)
                    sum += f[u] * kIdct[x][u];
                rows[v * 8 + x] = sum;
            }
        }
        if (flat) {
            const uint8_t value = Clamp255((rows[0] * kIdct[0][0] + (int64_t{128} << 26) + (int64_t{1} << 25)) >> 26);
            for (int y = 0; y < 8; ++y)
                std::fill(out + y * stride, out + y * stride + 8, value);
            return;
        }
        for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 8; ++y) {
                int64_t sum = 0;
                for (int v = 0; v < 8; ++v)
                    sum += rows[v * 8 + x] * kIdct[y][v];
                out[y * stride + x] = Clamp255((sum + (int64_t{128} << 26) + (int64_t{1} << 25)) >> 26);
            }
    }

    // One row of a component, widened to the image's: a triangle filter where the
    // component has half the samples, repetition for other ratios.
    void UpsampleRow(const Component& c, int y, std::vector<uint8_t>& out)
    {
        const int rv = m_nMaxV / c.v, rh = m_nMaxH / c.h;
        // Vertical pass into sums scaled by 4.
        const int sy = std::min(y / rv, c.height - 1);
        const uint8_t* row = WindowRow(c, sy);
        if (rv == 2) {
            const uint8_t* near = WindowRow(c, std::clamp(y % 2 ? sy + 1 : sy - 1, 0, c.height - 1));
            for (int i = 0; i < c.width; ++i)
                m_sums[i] = 3 * row[i] + near[i];
        } else {
            for (int i = 0; i < c.width; ++i)
                m_sums[i] = 4 * row[i];
        }
        for (int x = 0; x < m_nWidth; ++x) {
            const int i = std::min(x / rh, c.width - 1);
            int value;
            if (rh == 2) {
                const int j = std::clamp(x % 2 ? i + 1 : i - 1, 0, c.width - 1);
                value = (3 * m_sums[i] + m_sums[j] + 8) >> 4;
            } else {
                value = (m_sums[i] + 2) >> 2;
            }
            out[x] = static_cast<uint8_t>(value);
        }
    }

    bool ColorsAreRgb() const
    {
        if (m_nAdobeTransform >= 0)
            return m_nAdobeTransform == 0;
        return !m_bJfif && m_components[0].id == 'R' && m_components[1].id == 'G' && m_components[2].id == 'B';
    }

    // Whether every sample image row `y` is made from is in the windows once MCU row `mcuRow` is.
    bool RowReady(int y, int mcuRow) const
    {
        for (const Component& c : m_components) {
            const int rv = m_nMaxV / c.v;
            const int needed = std::min(y / rv + (rv == 2 ? 1 : 0), c.height - 1);
            if (needed >= (mcuRow + 1) * 8 * c.v)
                return false;
        }
        return true;
    }

    // Converts the image rows that MCU row `mcuRow` completes into pixels.
    void DrawRows(int mcuRow)
    {
        if (m_out.pixels.empty()) {
            m_out.width = m_nWidth;
            m_out.height = m_nHeight;
            m_out.pixels.resize(static_cast<std::size_t>(m_nWidth) * m_nHeight);
            m_sums.resize(static_cast<std::size_t>(m_nWidth));
            m_rows.assign(m_components.size(), std::vector<uint8_t>(m_nWidth));
        }
        const bool rgb = m_components.size() == 3 && ColorsAreRgb();
        for (; m_nNextRow < m_nHeight && RowReady(m_nNextRow, mcuRow); ++m_nNextRow) {
            for (std::size_t n = 0; n < m_components.size(); ++n)
                UpsampleRow(m_components[n], m_nNextRow, m_rows[n]);
            uint32_t* dst = &m_out.pixels[static_cast<std::size_t>(m_nNextRow) * m_nWidth];
            for (int x = 0; x < m_nWidth; ++x) {
                const int y0 = m_rows[0][x];
                int r = y0, g = y0, b = y0;
                if (m_components.size() == 3) {
                    const int c1 = m_rows[1][x], c2 = m_rows[2][x];
                    if (rgb) {
                        g = c1;
                        b = c2;
                    } else {
                        const int cb = c1 - 128, cr = c2 - 128;
                        r = Clamp255(y0 + ((91881 * cr + 32768) >> 16));
                        g = Clamp255(y0 + ((-22554 * cb - 46802 * cr + 32768) >> 16));
                        b = Clamp255(y0 + ((116130 * cb + 32768) >> 16));
                    }
                }
                dst[x] = 0xFF000000u | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
                         static_cast<uint32_t>(b);
            }
        }
    }

    // Draws an image kept as coefficients, MCU row by MCU row.
    void DrawStored()
    {
        for (int my = 0; my < m_nMcusY && m_nNextRow < m_nHeight; ++my) {
            for (Component& c : m_components)
                for (int by = my * c.v; by < (my + 1) * c.v; ++by)
                    for (int bx = 0; bx < c.blocksW; ++bx)
                        InverseTransform(StoredBlock(c, bx, by), c.quant, WindowRow(c, by * 8) + bx * 8,
                                         c.blocksW * 8);
            DrawRows(my);
        }
    }

    const uint8_t* m_p;
    const uint8_t* m_end;
    std::size_t m_nMaxPixels;
    BudgetHold m_hold;
    Bitmap& m_out;
    int m_nNextRow = 0;                     // the first image row not drawn yet
    std::vector<int> m_sums;                // a component row's vertical sums
    std::vector<std::vector<uint8_t>> m_rows;  // each component's samples of one image row
    std::array<std::array<uint16_t, 64>, 4> m_quant{};
    bool m_quantSet[4] = {};
    HuffmanTable m_huffman[2][4];
    std::vector<Component> m_components;
    bool m_bProgressive = false;
    bool m_bJfif = false;
    int m_nAdobeTransform = -1;
    int m_nWidth = 0, m_nHeight = 0;
    int m_nMaxH = 1, m_nMaxV = 1;
    int m_nMcusX = 0, m_nMcusY = 0;
    unsigned m_nRestart = 0;
    int m_nScans = 0;
    int m_nSs = 0, m_nSe = 63, m_nAh = 0, m_nAl = 0;
    int32_t m_nEobRun = 0;
};

}  // namespace

bool DecodeJpeg(const uint8_t* data, std::size_t size, std::size_t maxPixels, ByteBudget& bytes, Bitmap& out)
{
    out = Bitmap{};
    try {
        Decoder(data, size, maxPixels, bytes, out).Run();
        return true;
    } catch (const BadJpeg&) {
        out = Bitmap{};
        return false;
    }
}

}  // namespace swf
