// SPDX-License-Identifier: GPL-3.0-or-later
// Each platform operation a handler performs passes a check where it may be refused: the clipboard refuses text it
// did not take, and the test hook below can make any of them fail. A refusal throws PlatformError, which stops the
// handler at that step; one boundary around each handler reports it and lets the program go on.
#pragma once

#include <QString>
#include <stdexcept>
#include <utility>

namespace ui {

enum class Operation {
    SetColor,
    ShowWindow,
    HideWindow,
    SetText,
    SetSelection,
    SetFocus,
    ClipboardClear,
    ClipboardSetText,
    Beep,
    SetPicture,
    Convert,
};

const char *operationName(Operation operation);

class PlatformError : public std::runtime_error {
public:
    explicit PlatformError(Operation operation, const QString &detail = {});
    Operation operation() const { return m_operation; }

private:
    Operation m_operation;
};

// Lets tests make one platform operation fail; inert unless armed.
class FaultHook {
public:
    // The operation fails on its (skip + 1)-th call from now; the hook then disarms itself.
    static void arm(Operation operation, int skip = 0);
    // Whatever operation comes (skip + 1)-th from now fails.
    static void armAny(int skip = 0);
    static void disarm();
    static bool armed();
    // Counts every checked operation, so a sweep knows how many steps a handler has.
    static int operationsChecked() { return s_checked; }
    // Runs before every platform operation; cheap unless armed, since the hover handlers call it 117 times a move.
    static void check(Operation operation)
    {
        ++s_checked;
        if (s_armed) [[unlikely]]
            checkArmed(operation);
    }

private:
    static void checkArmed(Operation operation);
    static inline int s_checked = 0;
    static inline bool s_armed = false;
};

// The one reporting boundary: prints the failure on stderr and counts it.
void reportFailure(const char *handler, const PlatformError &error);
int failuresReported();

// Wraps a handler so that a platform failure inside it is reported and does not escape into Qt's event loop.
template<typename Object, typename... Args>
auto guarded(const char *name, Object *object, void (Object::*handler)(Args...))
{
    return [name, object, handler](Args... args) {
        try {
            (object->*handler)(std::forward<Args>(args)...);
        } catch (const PlatformError &error) {
            reportFailure(name, error);
        }
    };
}

template<typename Function> void runGuarded(const char *name, Function &&function)
{
    try {
        std::forward<Function>(function)();
    } catch (const PlatformError &error) {
        reportFailure(name, error);
    }
}

} // namespace ui
