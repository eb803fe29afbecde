// Tphrases: the editor of the nine phrase buttons' texts.
#pragma once

#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>

class IniFile;
class MessageBoxes;
class QLabel;
class QLineEdit;
class QPushButton;

// Built when first opened, then only shown and hidden. The main window opens it with the
// buttons' current phrases; "Done" hands the edited texts back (phrasesChanged) and stores
// them in the settings file as "Phrase1" to "Phrase9" of section "Dorvane". Closing by the
// title bar or Escape keeps nothing.
class Tphrases : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PhraseCount = 9;
    static constexpr int MaxPhraseLength = 50; // characters, not bytes
    static constexpr int FormWidth = 368;
    static constexpr int FormHeight = 261;

    explicit Tphrases(QWidget *parent = nullptr);

    // The settings file written by "Done"; "vornlobby.ini" in the program's folder unless set.
    void setSettingsPath(const QString &path) { m_settingsPath = path; }
    const QString &settingsPath() const { return m_settingsPath; }
    // Where a failed save is reported; nothing is reported while none is set.
    void setMessageBoxes(MessageBoxes *boxes) { m_boxes = boxes; }
    // The main window's tiled background picture; brown is painted while there is none.
    void setBackground(const QPixmap &tile);

    // View > "Phrase List": fills phrase1 ... phrase9 from the buttons' phrases (index 0 is
    // button 1; missing ones leave their field empty), centres the window on the main
    // window's frame and shows it.
    void editPhrases(const QStringList &current, const QRect &mainFrame = QRect());
    // The texts of phrase1 ... phrase9.
    QStringList phrases() const;

    // Applies the texts, stores them and closes the window.
    void applyAndClose();

    // The phrases stored in the settings file: key "Phrase<n>" when it is present and not
    // empty, otherwise defaults[n - 1] (an empty stored phrase counts as missing).
    static QStringList storedPhrases(const IniFile &settings, const QStringList &defaults);
    // Writes "Phrase1" ... "Phrase9"; false when the file could not be written.
    static bool storePhrases(IniFile &settings, const QStringList &phrases);

Q_SIGNALS:
    // Emitted when "Done" is clicked, with the nine texts for b_phrase1 ... b_phrase9.
    void phrasesChanged(const QStringList &phrases);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void createControls();
    void createPhraseRow(int n);

    std::array<QLineEdit *, PhraseCount> m_fields{};
    QLabel *m_gateLabel = nullptr;
    QPushButton *m_done = nullptr;
    QPixmap m_background;
    QString m_settingsPath;
    MessageBoxes *m_boxes = nullptr;
};
