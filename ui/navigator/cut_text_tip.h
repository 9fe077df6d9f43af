// A field too narrow for its text shows the beginning; the whole text is
// then its tooltip, so nothing shown is cut without a way to read it. GUI
// thread only.
#pragma once

class QLineEdit;

// Sets or clears edit's tooltip for the text it holds now.
void TipWholeTextWhenCut(QLineEdit* edit);
