#pragma once

class ReportTable;

// Records what a command heard in the default inventory. A command whose
// network work succeeded does not fail for that: a failure is a warning on
// standard error.
class InventoryRecorder
{
public:
    static void keep(const ReportTable& reports);
};
