#include "tallux/qt/about_box.h"

#include <QApplication>
#include <QThread>
#include <memory>

#include "about_dialog.h"
#include "tallux/tallux.h"

namespace tallux::qt {

namespace {

[[noreturn]] void unavailable(const std::string& why)
{
    throw RuntimeError(aboutBoxUnavailable, "The about box cannot be shown: " + why);
}

bool displayNamed()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The application that runs the dialog: the running one, or one started for
// this showing (returned, so that it ends with the showing).
std::unique_ptr<QApplication> application()
{
    QCoreApplication* running = QCoreApplication::instance();
    if (running == nullptr) {
        if (!displayNamed())
            unavailable("there is no display (neither DISPLAY, WAYLAND_DISPLAY nor "
                        "QT_QPA_PLATFORM is set)");
        static int argc = 1;
        static char name[] = "tallux";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }
    if (qobject_cast<QApplication*>(running) == nullptr)
        unavailable("the running application has no widgets (it is not a QApplication)");
    if (QThread::currentThread() != running->thread())
        unavailable("it was asked for from a thread other than the application's");
    return nullptr;
}

} // namespace

void installAboutBox()
{
    setAboutBoxPresenter([](void*) { presentAboutBox(); });
}

void presentAboutBox()
{
    const std::unique_ptr<QApplication> started = application();
    auto form = std::make_unique<AboutDialog>();
    form->exec();   // modal, no owner
    form->unload(); // again, whatever closed it
    form.reset();
}

} // namespace tallux::qt
