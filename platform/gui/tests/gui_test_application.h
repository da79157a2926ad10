#pragma once
// Tests that measure or draw text need a Qt application; this makes one when none exists.

void EnsureGuiTestApplication();
