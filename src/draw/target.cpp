#include "tallux/target.h"

namespace tallux {

namespace {
[[noreturn]] void lacksMember()
{
    throw RuntimeError(err::NotSupported);
}
} // namespace

void Target::FontName(const String&)
{
    lacksMember();
}
void Target::ForeColor(Long)
{
    lacksMember();
}
void Target::FontBold(Boolean)
{
    lacksMember();
}
void Target::FontSize(Integer)
{
    lacksMember();
}
void Target::CurrentX(Number)
{
    lacksMember();
}
void Target::CurrentY(Single)
{
    lacksMember();
}
void Target::Line(Integer, Integer, Single, Integer, Single, Long)
{
    lacksMember();
}
void Target::Print(const String&)
{
    lacksMember();
}
Number Target::TextWidth(const String&)
{
    lacksMember();
}
Number Target::TextHeight(const String&)
{
    lacksMember();
}

} // namespace tallux
