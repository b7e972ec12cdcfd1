#pragma once

class QWidget;

// "导出题库": the whole bank written as an Aiken or GIFT file of the user's
// choice, with the explanations the bank has, each question checked to read
// back as it is (the bank tool's export, BankTasks::exportBank).
namespace BankExport {

// Asks for the file and its format (Qt's own dialog), writes it, and tells
// what was written or why nothing was.
void chooseFileAndExport(QWidget *parent);

} // namespace BankExport
