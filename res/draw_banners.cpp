// Draws the two "New message" banners (bitmaps 137 and 138) into PNG files.
// Run by scripts/make-images; the PNGs it writes are checked in.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>

namespace {

QImage DrawBanner(QColor background, QColor ink)
{
    QImage image(180, 64, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QPen(ink, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3.5, 3.5, 173, 57), 8, 8);
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.drawText(QRect(0, 0, 180, 64), Qt::AlignCenter, "New message");
    return image;
}

bool Save(const QImage& image, const QString& dir, const char* name)
{
    return image.save(dir + "/" + name, "PNG");
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : ".";
    const bool ok = Save(DrawBanner(QColor(0xff, 0xe8, 0x2e), QColor(0xd0, 0x10, 0x10)), dir, "banner_137.png")
                    && Save(DrawBanner(QColor(0x5c, 0xc8, 0x5a), QColor(0x0c, 0x2c, 0xb8)), dir, "banner_138.png");
    return ok ? 0 : 1;
}
