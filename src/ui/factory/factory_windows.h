#pragma once
// The factory windows the main window keeps per card in the globals record (register peek/poke,
// file poke, FPGA table of contents): opened on first use, reused, reopened at start-up when they
// were open at the last close, and deleted at shut-down.
class QWidget;

namespace ui {

class MainMenus;

// The factory menu's per-card items of the three windows open them, owned by `owner`.
void InstallFactoryMenuOpeners(MainMenus& menus, QWidget* owner);

// Creates the card's window on first use, shows it, brings it to the front and refreshes it.
void ShowPeekPokeForm(int card, QWidget* owner);
void ShowFilePokeForm(int card, QWidget* owner);
void ShowFpgaInfoForm(int card, QWidget* owner);

// Opens, in that order, the card's peek/poke, file-poke and table-of-contents windows whose
// placement record says they were open at the last close.
void ReopenFactoryWindows(int card, QWidget* owner);

// The card's factory windows save their placement and are deleted, in that order; the table slots
// are cleared.
void DeleteFactoryWindowsOf(int card);

// After an FPGA image load of the card: its open factory windows show the FPGAs loaded now.
void FactoryWindowsFpgaLoaded(int card);

}  // namespace ui
