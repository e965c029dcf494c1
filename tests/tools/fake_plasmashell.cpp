// Stands in for plasmashell on a private session bus: records every script it is sent to
// the file named first on its command line and answers as the shell would for a desktop
// whose picture is now the one the script names. With "locked" it refuses, as the shell
// does when widgets are locked.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QRegularExpression>

class FakeShell : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public:
    FakeShell(QString log, bool locked) : log_(std::move(log)), locked_(locked) {}

public slots:
    Q_SCRIPTABLE QString evaluateScript(const QString& script) {
        QFile file(log_);
        if (file.open(QIODevice::Append))
            file.write(script.toUtf8() + "\n----\n");
        if (locked_) {
            sendErrorReply(QDBusError::Failed, "Widgets are locked");
            return {};
        }
        // The uri literal: 'text' with \\ \' \n escapes.
        const QRegularExpression literal(R"(var uri = '((?:[^'\\]|\\.)*)';)");
        const QString escaped = literal.match(script).captured(1);
        QString uri;
        for (int i = 0; i < escaped.size(); ++i) {
            if (escaped[i] == '\\' && i + 1 < escaped.size()) {
                const QChar next = escaped[++i];
                uri += next == 'n' ? QChar('\n') : next;
            } else {
                uri += escaped[i];
            }
        }
        return "image:" + uri + "\n";
    }

private:
    QString log_;
    bool locked_;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    FakeShell shell(argv[1], argc > 2 && QString(argv[2]) == "locked");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/PlasmaShell", &shell, QDBusConnection::ExportScriptableSlots) ||
        !bus.registerService("org.kde.plasmashell"))
        return 3;
    return app.exec();
}

#include "fake_plasmashell.moc"
