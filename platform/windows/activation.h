// Whether the Windows programs show their picture or step aside, decided by the foreground:
// a pure function, so that the orders in which activation messages and the foreground can
// come are tested on any system.
#pragma once

enum class Activation { Stay, Return, StepAside };

// What to do now, given whether the picture shows (not stepped aside), whether the program's
// window is the foreground window, whether it is minimised and whether that was asked for (a
// minimise command, not the program's own stepping aside), and whether a message has just said
// that the program lost activation. The foreground decides: a window that has it shows the
// picture, whatever message came or did not, unless it was minimised on purpose (it waits to
// be restored); the picture steps aside only when told, and only where another window has the
// foreground. Asked on every activation message and, while stepped aside, every tenth of a
// second, since the foreground may come with no message.
Activation DecideActivation(bool showing, bool foreground, bool minimised, bool minimisedOnPurpose, bool deactivated);
