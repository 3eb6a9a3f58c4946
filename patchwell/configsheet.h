#pragma once
// What the main frame needs of the configuration sheet: run it modally, end it,
// and have it select a requested product and tab while it is open.

class QDialog;

class ConfigurationSheet {
public:
    virtual ~ConfigurationSheet() = default;
    virtual QDialog *dialog() = 0;
    // Runs the sheet's modal loop; acts on OK or Cancel itself.
    virtual void RunModal() = 0;
    virtual void EndSheet() = 0;                                   // as Cancel
    virtual void SelectRequestedProductAndTab(int position, int tab) = 0;
    // The Scheduling page's "looking for updates" animation stops (an engine event came).
    virtual void StopSchedulingAnimation() {}
    // View/Clear Event Log and View Recent Updates follow the engine's counts.
    virtual void RefreshEventLogButtons() {}
    // A run has ended: the previous and next dates the engine moved are read anew.
    virtual void ReloadRunDates() {}
};
