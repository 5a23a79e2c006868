#include "qt/JapaneseFonts.h"

#include <QFont>

QStringList JapaneseFallbackFaces() {
    return {QStringLiteral("IPAPGothic"),  QStringLiteral("Noto Sans CJK JP"),
            QStringLiteral("VL PGothic"),  QStringLiteral("TakaoPGothic"),
            QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic")};
}

QFont WithJapaneseFallback(const QFont &font) {
    QFont result = font;
    QStringList families = font.families();
    if (families.isEmpty())
        families.append(font.family());
    for (const QString &face : JapaneseFallbackFaces())
        if (!families.contains(face))
            families.append(face);
    result.setFamilies(families);
    return result;
}
