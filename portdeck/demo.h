#pragma once
// Unattended runs for the demo: with a screenshot directory (option
// "--screenshot-dir=DIR" or TALLYLINE_SCREENSHOT_DIR) Portdeck saves the device
// list after detection and writes what it detected to detected.txt there, then
// saves the ISDN TA's product, call log and configuration screens and the business
// modem's product, welcome, terminal and flash screens, and ends.

class TcontainerFrame;

void installDemoHooks(TcontainerFrame &frame);
