// The rows of the dialog's controller lists and the choice of a stored controller among them.
#include "desk/settings/stored_values.h"

#include "desk/core/shared/text_pieces.h"
#include "desk/settings/numbers.h"

namespace velt::desk {

namespace {

const char* const kControllerRows[] = {"Disabled",
                                       " 1 - Modulation",
                                       " 2 - Breath controller*",
                                       " 4 - Foot pedal*",
                                       " 5 - Portamento time*",
                                       " 7 - Volume",
                                       " 8 - Balance*",
                                       "10 - Pan position",
                                       "11 - Expression",
                                       "71 - Timbre*",
                                       "72 - Release Time*",
                                       "73 - Attack Time*",
                                       "74 - Brightness*",
                                       "75 - Decay Time*",
                                       "76 - Vibrato Rate*",
                                       "77 - Vibrato Depth*",
                                       "78 - Vibrato Delay*",
                                       "91 - Effects depth",
                                       "92 - Tremolo depth",
                                       "93 - Chorus depth",
                                       "94 - Celeste depth",
                                       "95 - Phase depth"};

}  // namespace

void SelectController(ui::ComboBox& list, int32_t value) {
    for (const char* row : kControllerRows) list.AddItem(row);
    int found = 0;
    for (int i = 1; i < list.ListCount(); ++i)
        if (ToLong(Val(list.List(i))) == value) {
            found = i;
            break;
        }
    list.setListIndex(found);
}

}  // namespace velt::desk
