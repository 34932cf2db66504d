#pragma once
// The voice-input holder of an open notebook. Dictation is not offered on this desktop, so
// it holds nothing: no callbacks, never listening. The model makes one and calls nothing on it.

namespace nolby {

class Voice {};

}  // namespace nolby
