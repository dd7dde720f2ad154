// The actions of an operator script, applied to the topmost open form.
#pragma once

#include "ui/headless/ScriptText.h"

namespace ui {

class ScriptRunner;
class TForm;

// Runs one action line (its first token names the action) on form. A line the form
// cannot take (unknown control, disabled control, bad arguments, a failed expect) is
// reported through runner.Fail.
void RunAction(ScriptRunner& runner, TForm& form, const ScriptLine& line);

}  // namespace ui
