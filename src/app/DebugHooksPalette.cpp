// The model's headers before Qt's: Qt's keyword macros (emit, slots) would rewrite them.
#include "app/DebugHooks.h"

#include "app/DebugHooksPalette.h"

#include <QApplication>
#include <QStyle>

namespace nolby::DebugHooks {

QPalette palette(LaunchArguments::Appearance appearance) {
    QPalette p = QApplication::style() ? QApplication::style()->standardPalette() : QPalette();
    if (appearance == LaunchArguments::Appearance::light) return p;
    const QColor window(0x1e, 0x1e, 0x1e), base(0x2a, 0x2a, 0x2c), text(0xf2, 0xf2, 0xf7);
    const QColor button(0x3a, 0x3a, 0x3c), highlight(0x0a, 0x84, 0xff), dim(0x8e, 0x8e, 0x93);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, dim);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, highlight);
    p.setColor(QPalette::Light, button.lighter(130));
    p.setColor(QPalette::Midlight, button.lighter(115));
    p.setColor(QPalette::Mid, button.darker(120));
    p.setColor(QPalette::Dark, window.darker(130));
    p.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, dim);
    return p;
}

std::optional<LaunchArguments::Appearance> applyAppearance() {
    const auto appearance = LaunchArguments::parse(arguments()).appearance;
    if (appearance) QApplication::setPalette(palette(*appearance));
    return appearance;
}

}  // namespace nolby::DebugHooks
