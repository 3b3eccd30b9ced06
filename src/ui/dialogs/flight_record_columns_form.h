#pragma once
// The flight-record columns of both channels as two grids: per column whether it is written, its
// width, its three header lines, its decimals and whether it is written in scientific notation,
// and per channel whether the setup values follow. Edits are stored into the option record when
// the operator moves to another cell, clicks a cell or presses Enter; Escape shows the stored
// values again.
#include <QWidget>

#include <array>

#include "config/options_record.h"

class QCheckBox;
class QTableWidget;

using FlightRecordColumns =
    config::flightrecordparamoptions[config::kFlightRecordChannels][config::kFlightRecordColumns];

class TFltParamOptionsEditForm final : public QWidget {
 public:
  // Placed inside `parent`, filling it, editing `columns` in place.
  TFltParamOptionsEditForm(QWidget* parent, FlightRecordColumns& columns);

  // Both grids and both check boxes from the options.
  void ShowGrids();
  // Both grids and both check boxes into the options.
  void StoreGrids();

  void Grid1Click();
  void Grid1SelectCell();
  // Enter stores and shows again; Escape shows again.
  void Grid2KeyPress(int key);
  void CheckBoxIncludeSetup1Click();

  QTableWidget* Grid1 = nullptr;
  QTableWidget* Grid2 = nullptr;
  QCheckBox* CheckBoxIncludeSetup1 = nullptr;
  QCheckBox* CheckBoxIncludeSetup2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTableWidget* MakeGrid(int channel);
  void ShowChannel(int channel);
  void StoreChannel(int channel);
  void FitColumns(QTableWidget* grid);

  FlightRecordColumns& columns_;
  std::array<QTableWidget*, config::kFlightRecordChannels> grids_{};
  std::array<QCheckBox*, config::kFlightRecordChannels> includeSetup_{};
  bool shownOnce_ = false;
  bool busy_ = false;
};
