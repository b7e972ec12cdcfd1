// The start-up floor: a bare Qt Widgets program that shows one window with
// one text box and reports like the drill program does.
#include "startuptiming.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit(QStringLiteral("第1题 共1题"), &window));
    window.show();
    StartupTiming::reportWhenShown(&window);
    return QApplication::exec();
}
