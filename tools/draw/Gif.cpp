// SPDX-License-Identifier: GPL-3.0-or-later
// The GIF encoder: a deterministic palette from the image's own colours, and LZW compression, since Qt has no GIF
// writer.
#include "Gif.h"

#include "Kit.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <vector>

namespace draw {

namespace {

// A palette for `image`: entry 0 transparent, then the most frequent colours (counted at 5 bits a channel, ties broken
// by the colour's value, so the result never depends on the order of a hash), up to 256 entries in all.
QList<QRgb> gifPalette(const QImage &image)
{
    std::map<QRgb, std::pair<long, std::array<long, 3>>> bins; // count and the sums of the channels
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) < 128)
                continue;
            const QRgb bin = qRgb(qRed(line[x]) & 0xF8, qGreen(line[x]) & 0xF8, qBlue(line[x]) & 0xF8);
            auto &[count, sums] = bins[bin];
            ++count;
            sums[0] += qRed(line[x]);
            sums[1] += qGreen(line[x]);
            sums[2] += qBlue(line[x]);
        }
    }
    std::vector<std::pair<long, QRgb>> ranked;
    for (const auto &[bin, entry] : bins)
        ranked.emplace_back(-entry.first, bin);
    std::sort(ranked.begin(), ranked.end());
    QList<QRgb> palette { Transparent };
    for (const auto &[negativeCount, bin] : ranked) {
        if (palette.size() == 256)
            break;
        const auto &[count, sums] = bins[bin];
        palette << qRgb(int(sums[0] / count), int(sums[1] / count), int(sums[2] / count));
    }
    return palette;
}

// Variable-length codes, least significant bit first, packed into bytes.
class BitWriter {
public:
    void put(int code, int width)
    {
        m_buffer |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.push_back(char(m_buffer & 0xFF));
            m_buffer >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_bits > 0)
            m_bytes.push_back(char(m_buffer & 0xFF));
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_buffer = 0;
    int m_bits = 0;
};

QByteArray lzw(const QByteArray &indices, int minimumCodeSize)
{
    const int clear = 1 << minimumCodeSize, end = clear + 1;
    std::map<std::pair<int, uchar>, int> table;
    int next = end + 1, width = minimumCodeSize + 1;
    BitWriter out;
    out.put(clear, width);
    int prefix = -1;
    for (char c : indices) {
        const auto symbol = uchar(c);
        if (prefix < 0) {
            prefix = symbol;
            continue;
        }
        if (const auto found = table.find({ prefix, symbol }); found != table.end()) {
            prefix = found->second;
            continue;
        }
        out.put(prefix, width);
        if (next < 4096) {
            table[{ prefix, symbol }] = next++;
            if (next > (1 << width) && width < 12)
                ++width;
        } else {
            out.put(clear, width);
            table.clear();
            next = end + 1;
            width = minimumCodeSize + 1;
        }
        prefix = symbol;
    }
    if (prefix >= 0)
        out.put(prefix, width);
    out.put(end, width);
    return out.finish();
}

// `indexed` holds at most 256 colours, entry 0 the transparent one.
QByteArray encodeGif(const QImage &indexed)
{
    const QList<QRgb> palette = indexed.colorTable();
    const QImage &image = indexed;
    QByteArray gif("GIF89a");
    const auto word = [&gif](int value) {
        gif.append(char(value & 0xFF));
        gif.append(char((value >> 8) & 0xFF));
    };
    word(image.width());
    word(image.height());
    gif.append(char(0xF7)); // global palette of 256 entries, 8 bits a channel
    gif.append(char(0)); // background: the transparent entry
    gif.append(char(0)); // square pixels
    for (int i = 0; i < 256; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : 0;
        gif.append(char(qRed(colour)));
        gif.append(char(qGreen(colour)));
        gif.append(char(qBlue(colour)));
    }
    // Graphic control: entry 0 is transparent.
    gif.append("\x21\xF9\x04\x01\x00\x00\x00\x00", 8);
    gif.append(char(0x2C));
    word(0);
    word(0);
    word(image.width());
    word(image.height());
    gif.append(char(0)); // no local palette, not interlaced

    QByteArray indices;
    indices.reserve(qsizetype(image.width()) * image.height());
    for (int y = 0; y < indexed.height(); ++y)
        indices.append(reinterpret_cast<const char *>(indexed.constScanLine(y)), indexed.width());
    constexpr int MinimumCodeSize = 8;
    gif.append(char(MinimumCodeSize));
    const QByteArray data = lzw(indices, MinimumCodeSize);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif.append(char(block.size()));
        gif.append(block);
    }
    gif.append(char(0));
    gif.append(char(0x3B));
    return gif;
}

} // namespace

QImage settleEdgesOn(const QImage &image, const QColor &background)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha < 40) {
                line[x] = Transparent;
            } else if (alpha < 255) {
                const auto mix = [alpha](int c, int b) { return (c * alpha + b * (255 - alpha) + 127) / 255; };
                line[x] = qRgb(mix(qRed(line[x]), background.red()), mix(qGreen(line[x]), background.green()),
                    mix(qBlue(line[x]), background.blue()));
            }
        }
    }
    return out;
}

bool writeGif(const QDir &dir, const QString &name, const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QList<QRgb> palette = gifPalette(argb);
    const QImage indexed = quantize(argb, std::span<const QRgb>(palette.constData(), std::size_t(palette.size())));
    const QByteArray gif = encodeGif(indexed);
    const QImage back = QImage::fromData(gif, "GIF").convertToFormat(QImage::Format_ARGB32);
    const QImage expected = indexed.convertToFormat(QImage::Format_ARGB32);
    bool same = back.size() == expected.size();
    for (int y = 0; same && y < back.height(); ++y) {
        for (int x = 0; same && x < back.width(); ++x) {
            const QRgb a = back.pixel(x, y), b = expected.pixel(x, y);
            same = qAlpha(a) == qAlpha(b) && (qAlpha(a) == 0 || a == b);
        }
    }
    if (!same) {
        std::fprintf(stderr, "draw-resources: %s does not read back as written\n", qPrintable(name));
        return false;
    }
    return writeFile(dir, name, gif);
}

} // namespace draw
