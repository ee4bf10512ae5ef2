// SPDX-License-Identifier: MIT
#include "app/gui/SkipNotifier.h"

#include "app/gui/Settings.h"

namespace ondrel::gui {
namespace {

const QString enabledKey = QStringLiteral("notifySkippedPrompts");

}  // namespace

SkipNotifier::SkipNotifier(WatcherEngine& engine)
    : listening_(engine.subscribeToSkips([this](const std::vector<SkippedPrompt>& left) {
          // Prompts are followed while notices are off too, so that turning them on does not announce
          // the ones already waiting.
          for (const Notice& notice : notices_.afterPass(left)) {
              if (enabled())
                  desktop_.post(notice);
          }
      })) {}

bool SkipNotifier::enabled() {
    return settings().value(enabledKey, true).toBool();
}

void SkipNotifier::setEnabled(bool on) {
    settings().setValue(enabledKey, on);
}

}  // namespace ondrel::gui
