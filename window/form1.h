// The main window: the lap list and the export button, wired to the commands
// of the lap list and the exports.
#pragma once

#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <memory>
#include <string>

#include "export/prompts.h"
#include "window/gridadapter.h"

// What tells the two programs apart: the version in the caption and how the
// folder of the lap files is found.
struct TDeliverable {
    const char* Version;
    std::string (*FindTempDir)(const std::string& winePrefix);
};

// Version 1.1.0 reads the install path from the registry.
extern const TDeliverable kLaprix2Quorbel;
// Version 2.0.0 looks below the machine-wide application-data folder.
extern const TDeliverable kLaprix2QuorbelII;

// The private message that has the lap list filled once the window is up.
inline constexpr QEvent::Type kLoadListMsg = static_cast<QEvent::Type>(1025);

class TForm1 : public QWidget {
  public:
    explicit TForm1(const TDeliverable& deliverable, QWidget* parent = nullptr);
    ~TForm1() override;

    // The click handlers and the handler of message 1025.
    void ButtonCnvClick();
    void Button1Click();
    void ButtonGoClick();
    void LoadListMsg();

    // The grid as the commands see it.
    LapGrid& Grid() { return grid_; }
    // Who answers the commands' questions: the window's own dialogs and
    // boxes unless another is set (the form does not own it).
    void SetPrompts(ExportPrompts* prompts);

    QTableWidget* StringGrid1;  // first: the grid adapter refers to it
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QPushButton* ButtonCnv;
    QPushButton* ButtonGo;
    QPushButton* Button1;
    QFileDialog* OpenDialog1;
    QFileDialog* SaveDialog1;

  protected:
    void customEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void CreateControls();
    void FormCreate();
    void FormDestroy();

    const TDeliverable& deliverable_;
    TableLapGrid grid_;
    std::unique_ptr<ExportPrompts> ownPrompts_;
    ExportPrompts* prompts_;
};
