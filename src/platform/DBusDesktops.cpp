#include "DBusDesktops.h"

#include "Paths.h"
#include "WallpaperCopies.h"
#include "X11Desktop.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <set>

namespace muralto {

namespace {

// A text as a JavaScript string literal in single quotes.
std::string JsString(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\'':
            out += "\\'";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out + "'";
}

std::string FileUri(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path))
        .toString(QUrl::FullyEncoded)
        .toStdString();
}

QDBusConnection Bus() {
    return QDBusConnection::sessionBus();
}

} // namespace

std::string KdeScript(const std::string& fileUri) {
    // Desktops with another wallpaper plug-in are switched to the picture one, and the
    // script says so in its output.
    return "var uri = " + JsString(fileUri) +
           ";\n"
           "desktops().forEach(function (d) {\n"
           "  if (d.wallpaperPlugin != 'org.kde.image') {\n"
           "    print('switched:' + d.wallpaperPlugin + '\\n');\n"
           "    d.wallpaperPlugin = 'org.kde.image';\n"
           "  }\n"
           "  d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n"
           "  d.writeConfig('Image', uri);\n"
           "  d.writeConfig('FillMode', 6);\n"
           "  d.reloadConfig();\n"
           "  print('image:' + d.readConfig('Image') + '\\n');\n"
           "});\n";
}

SetResult KdeSetter::SetWallpaper(const std::string& bitmapPath) {
    if (!Bus().isConnected())
        return SetResult::Failed("no D-Bus session bus to reach plasmashell");
    const std::string fresh = FreshWallpaperName(bitmapPath);
    const std::string uri = FileUri(fresh);
    QDBusMessage call = QDBusMessage::createMethodCall("org.kde.plasmashell", "/PlasmaShell",
                                                       "org.kde.PlasmaShell", "evaluateScript");
    call << QString::fromStdString(KdeScript(uri));
    const QDBusReply<QString> reply = Bus().call(call, QDBus::Block, 10000);
    if (!reply.isValid()) {
        RemoveFreshName(fresh);
        // Not running, or widgets locked: plasmashell refuses scripts then.
        return SetResult::Failed("plasmashell did not take the wallpaper: " +
                                 reply.error().message().toStdString());
    }
    const QStringList lines = reply.value().split('\n', Qt::SkipEmptyParts);
    int images = 0;
    for (const QString& line : lines) {
        if (!line.startsWith("image:"))
            continue;
        ++images;
        if (line.mid(6).toStdString() != uri) {
            RemoveFreshName(fresh);
            return SetResult::Failed("a Plasma desktop reads " + line.mid(6).toStdString() +
                                     " after setting " + uri);
        }
    }
    if (images == 0) {
        RemoveFreshName(fresh);
        return SetResult::Failed("plasmashell reported no desktop");
    }
    PruneWallpaperNames(bitmapPath, fresh);
    SetResult result = SetResult::Done();
    if (reply.value().contains("switched:"))
        result.reason = "a desktop used another wallpaper plug-in and now shows the picture";
    return result;
}

namespace {

const char* const kXfconf = "org.xfce.Xfconf";

QDBusMessage XfconfCall(const char* method) {
    return QDBusMessage::createMethodCall(kXfconf, "/org/xfce/Xfconf", "org.xfce.Xfconf", method);
}

} // namespace

SetResult XfceSetter::SetWallpaper(const std::string& bitmapPath) {
    if (!Bus().isConnected())
        return SetResult::Failed("no D-Bus session bus to reach xfconf");
    QDBusMessage list = XfconfCall("GetAllProperties");
    list << QString("xfce4-desktop") << QString("/backdrop");
    const QDBusReply<QVariantMap> all = Bus().call(list, QDBus::Block, 10000);
    // A session that never had a backdrop has no "/backdrop" yet: that is no failure.
    const bool noBackdrop = !all.isValid() && all.error().name().endsWith("PropertyNotFound");
    if (!all.isValid() && !noBackdrop)
        return SetResult::Failed("xfconf did not answer: " + all.error().message().toStdString());
    // Every monitor and workspace: those that have a backdrop, and those of the connected
    // monitors, which a fresh session does not have yet.
    std::set<QString> backdrops;
    const QVariantMap properties = noBackdrop ? QVariantMap() : all.value();
    for (auto it = properties.begin(); it != properties.end(); ++it)
        if (it.key().endsWith("/last-image"))
            backdrops.insert(it.key().chopped(int(std::string("/last-image").size())));
    const int workspaces = std::max(1, X11WorkspaceCount());
    for (const std::string& output : X11OutputNames())
        for (int w = 0; w < workspaces; ++w)
            backdrops.insert(QString("/backdrop/screen0/monitor%1/workspace%2")
                                 .arg(QString::fromStdString(output))
                                 .arg(w));
    if (backdrops.empty())
        backdrops.insert("/backdrop/screen0/monitor0/workspace0");

    const std::string fresh = FreshWallpaperName(bitmapPath);
    const QString file = QString::fromStdString(fresh);
    for (const QString& base : backdrops) {
        const std::pair<QString, QVariant> values[] = {
            {base + "/image-style", QVariant(int(1))}, // centred, never scaled
            {base + "/last-image", QVariant(file)},
        };
        for (const auto& [property, value] : values) {
            QDBusMessage set = XfconfCall("SetProperty");
            set << QString("xfce4-desktop") << property << QVariant::fromValue(QDBusVariant(value));
            const QDBusMessage answer = Bus().call(set, QDBus::Block, 10000);
            if (answer.type() == QDBusMessage::ErrorMessage) {
                RemoveFreshName(fresh);
                return SetResult::Failed("xfconf refused " + property.toStdString() + ": " +
                                         answer.errorMessage().toStdString());
            }
        }
        QDBusMessage get = XfconfCall("GetProperty");
        get << QString("xfce4-desktop") << base + "/last-image";
        const QDBusReply<QDBusVariant> back = Bus().call(get, QDBus::Block, 10000);
        if (!back.isValid() || back.value().variant().toString() != file) {
            RemoveFreshName(fresh);
            return SetResult::Failed("xfconf " + base.toStdString() +
                                     "/last-image does not read back the new picture");
        }
    }
    PruneWallpaperNames(bitmapPath, fresh);
    return SetResult::Done();
}

} // namespace muralto
