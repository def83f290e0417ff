#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace kestrune {

namespace {

QStringList SongTiFamilies() {
    static const QStringList families = [] {
        QStringList list{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                         QStringLiteral("NSimSun")};
        const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        for (const QString& wanted : list) {
            if (installed.contains(wanted)) {
                return list;
            }
        }
        // Prefer a serif face, as the named one is; else any face with the characters.
        for (const QString& family : installed) {
            if (family.contains(QStringLiteral("Ming")) ||
                family.contains(QStringLiteral("Serif"))) {
                list.append(family);
                return list;
            }
        }
        if (!installed.isEmpty()) {
            list.append(installed.first());
        }
        return list;
    }();
    return families;
}

}  // namespace

QFont SongTiFont(int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(SongTiFamilies());
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

}  // namespace kestrune
