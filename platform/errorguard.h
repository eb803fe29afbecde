// guarded(): the top-level error report around every event entry point.
#pragma once

#include "messageboxes.h"

#include <exception>
#include <utility>

// Runs f; an exception that escapes it is reported through boxes and the caller returns
// to the event loop as usual. Nothing propagates into Qt's event handling.
template <class F>
void guarded(MessageBoxes &boxes, F &&f) noexcept
{
    try {
        std::forward<F>(f)();
    } catch (const std::exception &e) {
        boxes.showError(QString::fromUtf8(e.what()));
    } catch (...) {
        boxes.showError(QStringLiteral("Unknown error"));
    }
}
