#pragma once
// The local painter: a quiet watercolour-like picture on near-white paper, made with Cairo.
// The same subject always gives the same picture; the aspect label ("1:1", "4:3", "3:4",
// "16:9", "3:2", "2:3") sets its shape, unknown labels painting a square.

#include "platform/Image.h"

#include <memory>
#include <string>
#include <utility>

namespace nolby::service {

// Width and height in pixels for an aspect label; the longer side is 768.
std::pair<int, int> paintingSize(const std::string& aspect);

std::shared_ptr<const Image> painting(const std::string& subject, const std::string& aspect);

}  // namespace nolby::service
