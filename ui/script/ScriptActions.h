// The actions of an operator script, applied to the topmost open form.
#pragma once

#include "ui/script/ScriptText.h"

namespace ui {

class ScriptRunner;
class TForm;

// Runs one action line (its first token names the action) on form. A line the form
// cannot take (unknown control, disabled control, bad arguments, a failed expect) is
// reported through runner.Fail.
void RunAction(ScriptRunner& runner, TForm& form, const ScriptLine& line);

// `shot FILE`: a PNG of the topmost form or open box, taken by the runner's screen; on a
// platform without a screen the line is an error. It may stand before a box's answer.
bool IsShotLine(const ScriptLine& line);
void RunShot(ScriptRunner& runner, const ScriptLine& line);

}  // namespace ui
