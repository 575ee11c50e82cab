#include "tools/Log.h"
#include "tools/ToolRunner.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tavrix"));
    QApplication::setApplicationName(QStringLiteral("Tavrix"));

    const ToolRunner tools;
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tavrix"));
    auto *form = new QFormLayout(&window);
    for (const QString &name : {QStringLiteral("ffmpeg"), QStringLiteral("mediainfo")}) {
        const ToolLocation location = tools.locateTool(name);
        form->addRow(name, new QLabel(location.ok() ? location.path : location.error));
        if (location.ok() && name == QLatin1String("ffmpeg"))
            qCInfo(lcTavrix).noquote() << "Ffmpeg path =" << location.path;
    }
    window.resize(800, 600);
    window.show();
    return app.exec();
}
