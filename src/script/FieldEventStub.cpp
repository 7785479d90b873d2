// Stand-in for the field-event runner until it is built: every field event is over
// at once (no section runs).  The runner's own source replaces this file.
#include "FieldTaskInfo.h"
#include "ScenarioScript.h"

int32_t C_ScenarioScript::UpdateFieldEvent(std::string /*eventName*/, C_FieldTaskInfo* /*info*/) { return 1; }
