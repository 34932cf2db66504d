#pragma once
// Whether the app shows its windows to someone: false under the offscreen and minimal
// platforms (tests, scripts), where a dialog would wait for a click that never comes.

namespace nolby::Display {

bool available();

}  // namespace nolby::Display
