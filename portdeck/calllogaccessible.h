#pragma once
// Assistive technology reads the call log memo as a table under the column
// labels of its page, and as the text the device printed.

void installCallLogAccessibility();
