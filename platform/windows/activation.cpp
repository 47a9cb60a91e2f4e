#include "platform/windows/activation.h"

Activation DecideActivation(bool showing, bool foreground, bool minimised, bool minimisedOnPurpose, bool deactivated)
{
    if (foreground) return (!showing || minimised) && !(minimised && minimisedOnPurpose) ? Activation::Return : Activation::Stay;
    return showing && deactivated ? Activation::StepAside : Activation::Stay;
}
