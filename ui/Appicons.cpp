#include "ui/Appicons.h"

namespace {

// The sizes the build renders every picture at (see ui/CMakeLists.txt).
constexpr int ActionSizes[] = {16, 24, 32};
constexpr int ApplicationSizes[] = {16, 24, 32, 48, 64, 128, 256};

}  // namespace

QIcon ApplicationIcon() {
    QIcon compiled;
    for (const int size : ApplicationSizes)
        compiled.addFile(QStringLiteral(":/icons/app/%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral("org.zelvolab.Tavolin"), compiled);
}

QIcon ActionIcon(const char* themeName, const char* fallback) {
    QIcon compiled;
    for (const int size : ActionSizes) {
        compiled.addFile(QStringLiteral(":/icons/actions/%1/%2.png").arg(size).arg(fallback),
                         QSize(size, size));
    }
    if (!*themeName) return compiled;
    return QIcon::fromTheme(QString::fromLatin1(themeName), compiled);
}
