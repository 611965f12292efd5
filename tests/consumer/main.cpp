#include <tallux/recording_target.h>
#include <tallux/tallux.h>

// Draws one Code 39 symbol through the installed library.
int main()
{
    tallux::RecordingTarget target;
    tallux::DrawParams p;
    p.pObject = &target;
    p.pCode = u"CODE39";
    tallux::Tallux control;
    return control.draw(tallux::Code_39, p).value() == 0 && !target.calls.empty() ? 0 : 1;
}
