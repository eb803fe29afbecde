// Chat-area artwork: the phrase button glyphs, the sound and smiley button
// glyphs, and the eighteen smiley faces.
#pragma once

class QPainter;

namespace chat {

inline constexpr int SmileyCount = 18;

// Phrase glyph 25 x 19: "P1".."P9" for 1..9, a musical note for 10.
void drawPhrase(QPainter &p, int number);

// Smiley button glyph 25 x 19: a white smiley on brown.
void drawSmileyButton(QPainter &p);

// Smiley 17 x 16, index 0..17 (smiley01 .. smiley18).
void drawSmiley(QPainter &p, int index);

} // namespace chat
