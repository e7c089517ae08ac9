#include "app/look.h"

#include "app/colours.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyleFactory>

void applyClassicLook(QApplication& app) {
    const QStringList substitutes{QString::fromLatin1(SansFamily), QString::fromLatin1(CjkFamily)};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), substitutes);
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), substitutes);

    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);

    QPalette palette;
    const QColor window(0xFF, 0xFF, 0xFF);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, clBtnFace);
        palette.setColor(group, QPalette::Button, clBtnFace);
        palette.setColor(group, QPalette::WindowText, clWindowText);
        palette.setColor(group, QPalette::ButtonText, clWindowText);
        palette.setColor(group, QPalette::Text, clWindowText);
        palette.setColor(group, QPalette::Base, window);
        palette.setColor(group, QPalette::AlternateBase, clBtnFace);
        palette.setColor(group, QPalette::Highlight, clHighlight);
        palette.setColor(group, QPalette::HighlightedText, clWhite);
        palette.setColor(group, QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xE1));
        palette.setColor(group, QPalette::ToolTipText, clWindowText);
        palette.setColor(group, QPalette::PlaceholderText, clGrayText);
        palette.setColor(group, QPalette::Light, clWhite);
        palette.setColor(group, QPalette::Midlight, clBtnFace.lighter(110));
        palette.setColor(group, QPalette::Mid, QColor(0xA0, 0xA0, 0xA0));
        palette.setColor(group, QPalette::Dark, clGrayText);
        palette.setColor(group, QPalette::Shadow, clBlack);
        palette.setColor(group, QPalette::Link, clHighlight);
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, clBtnFace);
    palette.setColor(QPalette::Disabled, QPalette::Button, clBtnFace);
    palette.setColor(QPalette::Disabled, QPalette::Base, clBtnFace);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, clGrayText);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, clGrayText);
    palette.setColor(QPalette::Disabled, QPalette::Text, clGrayText);
    palette.setColor(QPalette::Disabled, QPalette::Light, clWhite);
    palette.setColor(QPalette::Disabled, QPalette::Dark, clGrayText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, clHighlight);
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, clWhite);
    QApplication::setPalette(palette);

    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(16);
    font.setBold(true);
    QApplication::setFont(font);
}
