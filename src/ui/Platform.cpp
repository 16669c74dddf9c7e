// SPDX-License-Identifier: GPL-3.0-or-later
// Fault hook and failure reporting.
#include "Platform.h"

#include "Log.h"

#include <QDebug>
#include <optional>

namespace ui {

Q_LOGGING_CATEGORY(lcProgram, "gojuon-keyboard")

namespace {

struct Armed {
    std::optional<Operation> operation; // empty: any operation
    int skip = 0;
};

std::optional<Armed> g_armed;
int g_reported = 0;

} // namespace

const char *operationName(Operation operation)
{
    switch (operation) {
    case Operation::SetColor:
        return "set a colour";
    case Operation::ShowWindow:
        return "show a window";
    case Operation::HideWindow:
        return "hide a window";
    case Operation::SetText:
        return "set the text";
    case Operation::SetSelection:
        return "set the selection";
    case Operation::SetFocus:
        return "move the focus";
    case Operation::ClipboardClear:
        return "clear the clipboard";
    case Operation::ClipboardSetText:
        return "put text on the clipboard";
    case Operation::Beep:
        return "sound the beep";
    case Operation::SetPicture:
        return "show or move a picture";
    case Operation::Convert:
        return "convert the kana";
    }
    return "?";
}

PlatformError::PlatformError(Operation operation, const QString &detail)
    : std::runtime_error(detail.isEmpty()
            ? QStringLiteral("could not %1").arg(QLatin1String(operationName(operation))).toStdString()
            : QStringLiteral("could not %1: %2").arg(QLatin1String(operationName(operation)), detail).toStdString())
    , m_operation(operation)
{ }

void FaultHook::arm(Operation operation, int skip)
{
    g_armed = Armed { operation, skip };
    s_armed = true;
}

void FaultHook::armAny(int skip)
{
    g_armed = Armed { std::nullopt, skip };
    s_armed = true;
}

void FaultHook::disarm()
{
    g_armed.reset();
    s_armed = false;
}

bool FaultHook::armed()
{
    return s_armed;
}

void FaultHook::checkArmed(Operation operation)
{
    if (!g_armed || (g_armed->operation && *g_armed->operation != operation))
        return;
    if (g_armed->skip-- > 0)
        return;
    disarm();
    throw PlatformError(operation, QStringLiteral("refused (injected fault)"));
}

void reportFailure(const char *handler, const PlatformError &error)
{
    ++g_reported;
    qCWarning(lcProgram).noquote() << QStringLiteral("%1 stopped: %2; the text is kept.")
                                          .arg(QLatin1String(handler), QString::fromStdString(error.what()));
}

int failuresReported()
{
    return g_reported;
}

} // namespace ui
