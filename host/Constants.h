#pragma once
// Numeric constants of the spreadsheet's object model that the add-in passes or reads.
// Their values are the host's own; they travel unchanged over late binding.

namespace kx::host::xl {

// Application.Calculation
inline constexpr long CalculationManual = -4135;
inline constexpr long CalculationAutomatic = -4105;
inline constexpr long CalculationSemiautomatic = 2;

// Application.EnableCancelKey
inline constexpr long CancelKeyDisabled = 0;
inline constexpr long CancelKeyInterrupt = 1;
inline constexpr long CancelKeyErrorHandler = 2;

// Interior.ColorIndex
inline constexpr long ColorIndexNone = -4142;
inline constexpr long ColorIndexAutomatic = -4105;

// Range.Find
inline constexpr long LookInFormulas = -4123;
inline constexpr long LookInValues = -4163;
inline constexpr long LookInComments = -4144;
inline constexpr long LookAtWhole = 1;
inline constexpr long LookAtPart = 2;
inline constexpr long SearchByRows = 1;
inline constexpr long SearchByColumns = 2;
inline constexpr long SearchNext = 1;
inline constexpr long SearchPrevious = 2;

// Range.AdvancedFilter
inline constexpr long FilterInPlace = 1;
inline constexpr long FilterCopy = 2;

// Range.SpecialCells
inline constexpr long CellTypeBlanks = 4;
inline constexpr long CellTypeConstants = 2;
inline constexpr long CellTypeFormulas = -4123;
inline constexpr long CellTypeVisible = 12;

// Validation
inline constexpr long ValidateInputOnly = 0;
inline constexpr long ValidateWholeNumber = 1;
inline constexpr long ValidateDecimal = 2;
inline constexpr long ValidateList = 3;
inline constexpr long ValidateDate = 4;
inline constexpr long ValidateTime = 5;
inline constexpr long ValidateTextLength = 6;
inline constexpr long ValidateCustom = 7;
inline constexpr long ValidAlertStop = 1;
inline constexpr long ValidAlertWarning = 2;
inline constexpr long ValidAlertInformation = 3;
inline constexpr long Between = 1;

}  // namespace kx::host::xl

namespace kx::host::mso {

// CommandBarControls.Add Type
inline constexpr long ControlButton = 1;
inline constexpr long ControlPopup = 10;
// CommandBarButton.Style
inline constexpr long ButtonAutomatic = 0;
inline constexpr long ButtonIcon = 1;
inline constexpr long ButtonCaption = 2;
inline constexpr long ButtonIconAndCaption = 3;

}  // namespace kx::host::mso
