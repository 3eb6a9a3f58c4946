#pragma once
// Unattended runs for the demo: with a screenshot directory (option
// "--screenshot-dir=DIR" or TALLYLINE_SCREENSHOT_DIR) Portdeck saves the device
// list after detection, opens the first ISDN TA found, saves its product
// screen, writes what it detected to detected.txt there and ends.

class TcontainerFrame;

void installDemoHooks(TcontainerFrame &frame);
