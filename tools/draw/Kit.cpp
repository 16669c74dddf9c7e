// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing kit's shapes, glyph placement, palette mapping and file writing, shared by every image the tool
// draws.
#include "Kit.h"

#include <QImageWriter>
#include <QRawFont>
#include <QSaveFile>
#include <cstdio>
#include <limits>

using namespace Qt::StringLiterals;

namespace draw {

QImage newCanvas(int scale)
{
    QImage image(Size * scale, Size * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

qreal scaleOf(const QImage &canvas)
{
    return qreal(canvas.width()) / Size;
}

void stamp(QImage &canvas, const QPainterPath &shape, QRgb colour)
{
    stamp(canvas, shape, colour, scaleOf(canvas));
}

void stamp(QImage &canvas, const QPainterPath &shape, QRgb colour, qreal scale)
{
    QImage layer(canvas.size(), QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        painter.fillPath(shape, QColor(Qt::black));
    }
    for (int y = 0; y < canvas.height(); ++y) {
        const auto *cover = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(canvas.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            if (qAlpha(cover[x]) >= 128)
                out[x] = colour;
        }
    }
}

QPainterPath roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath ring(QPointF centre, qreal outerRadius, qreal innerRadius)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addEllipse(centre, outerRadius, outerRadius);
    path.addEllipse(centre, innerRadius, innerRadius);
    return path;
}

void stampRaised(QImage &canvas, const QPainterPath &shape, QRgb body, QRgb light, QRgb dark)
{
    stamp(canvas, shape, body);
    stamp(canvas, shape.subtracted(shape.translated(1, 1)), light);
    stamp(canvas, shape.subtracted(shape.translated(-1, -1)), dark);
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

std::optional<QFont> japaneseFont(int pixelSize, int stretch, const QString &text)
{
    const QString families[] = { u"Noto Sans CJK JP"_s, u"IPAGothic"_s };
    for (const QString &family : families) {
        QFont font(family);
        font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferAntialias));
        font.setPixelSize(pixelSize);
        font.setWeight(QFont::Bold);
        font.setStretch(stretch);
        const QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid() || raw.familyName().compare(family, Qt::CaseInsensitive) != 0)
            continue;
        bool complete = true;
        for (char32_t c : text.toUcs4())
            complete = complete && raw.supportsCharacter(c);
        if (complete)
            return font;
    }
    return std::nullopt;
}

GlyphPlacement sharpestPlacement(const QFont &font, const QString &glyph)
{
    const int pad = font.pixelSize() * 2;
    GlyphPlacement best;
    qint64 bestBlur = std::numeric_limits<qint64>::max();
    for (int quarter = 0; quarter < 4; ++quarter) {
        const QPointF offset(quarter / 4.0, 0);
        QImage scratch(pad * 2, pad * 2, QImage::Format_ARGB32);
        scratch.fill(Qt::transparent);
        {
            QPainter painter(&scratch);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.setFont(font);
            painter.setPen(QColor(Qt::black));
            painter.drawText(QPointF(pad, pad) + offset, glyph);
        }
        QRect box;
        qint64 blur = 0;
        for (int y = 0; y < scratch.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
            for (int x = 0; x < scratch.width(); ++x) {
                const int alpha = qAlpha(line[x]);
                if (alpha > 0)
                    box |= QRect(x - pad, y - pad, 1, 1);
                blur += alpha * (255 - alpha);
            }
        }
        if (blur < bestBlur) {
            bestBlur = blur;
            best = { offset, box };
        }
    }
    return best;
}

void drawGlyphAt(QPainter &painter, const QFont &font, const QString &glyph, const GlyphPlacement &placement,
    QPoint topLeft, QRgb colour)
{
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(colour));
    painter.drawText(QPointF(topLeft - placement.ink.topLeft()) + placement.offset, glyph);
}

QImage quantize(const QImage &source, std::span<const QRgb> palette)
{
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    QImage out(argb.size(), QImage::Format_Indexed8);
    out.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        uchar *line = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = in[x];
            int best = 0;
            if (qAlpha(pixel) >= 128) {
                int bestDistance = std::numeric_limits<int>::max();
                for (std::size_t i = 0; i < palette.size(); ++i) {
                    if (qAlpha(palette[i]) == 0)
                        continue;
                    const int dr = qRed(pixel) - qRed(palette[i]);
                    const int dg = qGreen(pixel) - qGreen(palette[i]);
                    const int db = qBlue(pixel) - qBlue(palette[i]);
                    const int distance = dr * dr + dg * dg + db * db;
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = int(i);
                    }
                }
            }
            line[x] = uchar(best);
        }
    }
    return out;
}

bool writeFile(const QDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return true;
}

static bool writeImage(const QDir &dir, const QString &name, const QImage &image, const char *format, int quality)
{
    const QString path = dir.filePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    QImageWriter writer(&file, format);
    writer.setQuality(quality);
    if (!writer.write(image) || !file.commit()) {
        std::fprintf(stderr, "draw-resources: cannot write %s: %s\n", qPrintable(path),
            qPrintable(writer.error() != QImageWriter::UnknownError ? writer.errorString() : file.errorString()));
        return false;
    }
    return true;
}

bool writePng(const QDir &dir, const QString &name, const QImage &image)
{
    return writeImage(dir, name, image, "png", -1);
}

bool writeJpeg(const QDir &dir, const QString &name, const QImage &image)
{
    return writeImage(dir, name, image.convertToFormat(QImage::Format_RGB32), "jpeg", 92);
}

} // namespace draw
