// Everything of the control model in one include.
#pragma once

#include "ui/Component.h"
#include "ui/Control.h"
#include "ui/Dialogs.h"
#include "ui/Edits.h"
#include "ui/Forms.h"
#include "ui/ListCtrls.h"
#include "ui/Menus.h"
#include "ui/StdCtrls.h"
