#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "databases/database_files.h"
#include "databases/editor.h"
#include "forms_kit/form_kit.h"
#include "platform/dialogs.h"
#include "platform/messages.h"

class QComboBox;
class QLineEdit;
class QListWidget;

namespace velkaro {

// Control ids of the database editors.
inline constexpr int kNewEditId = 3001;
inline constexpr int kAddButtonId = 3002;
inline constexpr int kNameListId = 3003;
inline constexpr int kIdBoxId = 3004;
inline constexpr int kRemoveButtonId = 3005;
inline constexpr int kListTitleId = 3006;
inline constexpr int kClearRecordId = 3007;
inline constexpr int kFirstDetailId = 3010;       // field i is kFirstDetailId + i
inline constexpr int kFirstDetailLabelId = 3030;  // its label
inline constexpr int kFirstDetailUnitId = 3050;   // what follows it ("m", "s")
inline constexpr int kOkId = 1;
inline constexpr int kCancelId = 2;

// What distinguishes one editor from another.
template <typename Table>
struct EditorKind {
    using Record = typename Table::value_type;
    const char* objectName;
    const char* title;
    const char* listTitle;
    int widthDlu;
    AddRules rules;
    std::span<const DetailField<Record>> fields;
    std::optional<PictureArea> picture;  // with image() the record's picture
    TextRef (*image)(Record&);
    bool clearRecord;  // circuits: "Clear" erases the track record
    std::string_view file;
    std::string_view notFound;  // told when the file is missing
    bool (*load)(Table&, Disk&, FileFlaws*);
    bool (*save)(const Table&, int count, Disk&);
};

// The common editor: "New" and "Add" over the sorted list of names, "ID", "Remove", the
// selected record's details, "Ok" and "Cancel". It edits a copy of the file's table and writes
// the file only on "Ok".
template <typename Table>
class EditorForm final : public ModalForm {
  public:
    EditorForm(const EditorKind<Table>& kind, Messages& messages, Dialogs& dialogs, Disk& disk,
               QWidget* parent = nullptr);

    const Table& Records() const { return *table_; }

  protected:
    bool Write() override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void Add();
    void Remove();
    void Refill();
    void Select(int position);
    void ShowRecord();

    const EditorKind<Table>& kind_;
    Dialogs& dialogs_;
    Disk& disk_;
    std::unique_ptr<Table> table_;
    int selected_ = 0;
    bool showing_ = false;  // the form itself fills the controls: nothing to copy back
    QLineEdit* new_;
    QListWidget* list_;
    QLineEdit* id_;
    std::vector<QWidget*> details_;
    CountryChoices countries_;
    ClubChoices clubs_;
};

extern const EditorKind<CircuitTable> kCircuitsEditor;
extern const EditorKind<ClubTable> kClubsEditor;
extern const EditorKind<DriverTable> kDriversEditor;
extern const EditorKind<FrequencyTable> kFrequenciesEditor;

using CircuitsForm = EditorForm<CircuitTable>;
using ClubsForm = EditorForm<ClubTable>;
using DriversForm = EditorForm<DriverTable>;
using FrequenciesForm = EditorForm<FrequencyTable>;

}  // namespace velkaro
