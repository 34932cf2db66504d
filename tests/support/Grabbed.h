#pragma once
// What a widget shows, in the premultiplied pixel format cairo draws in, to compare the two.

#include <QImage>
#include <QWidget>

namespace nolby::test {

inline QImage grabbed(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied); }

}  // namespace nolby::test
