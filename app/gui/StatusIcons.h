// SPDX-License-Identifier: MIT
#pragma once

// The tray icon's three symbols, drawn as monochrome masks so the tray or menu bar can tint them.

#include <QIcon>

#include "app/WindowModel.h"

namespace ondrel::gui {

QIcon statusIcon(StatusSymbol symbol);

}  // namespace ondrel::gui
