// Renders the application icon for the desktop from the window icon's own artwork:
// render_icons OUTPUT_DIR writes kalvor-16.png, -32, -48, -256 and kalvor.svg.
#include "qt/EyedropperIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_icons OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;
    for (const int size : {16, 32, 48, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        PaintEyedropper(painter, size);
        painter.end();
        if (!image.save(out.filePath(QStringLiteral("kalvor-%1.png").arg(size))))
            return 1;
    }
    QSvgGenerator svg;
    svg.setFileName(out.filePath(QStringLiteral("kalvor.svg")));
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle(QStringLiteral("Kalvor"));
    svg.setDescription(QStringLiteral("An eyedropper"));
    QPainter painter(&svg);
    PaintEyedropper(painter, 32);
    return painter.end() ? 0 : 1;
}
