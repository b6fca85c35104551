#pragma once

#include <string>
#include <vector>

#include "popups/document_rows.h"
#include "popups/popup_win.h"

namespace mirelo {

// What a document pop-up (bulletin board, mail, schedule, approval) shows and opens.
struct DocumentContent {
    std::string header;
    bool urgentPrefix = false;  // the urgent label goes in front of the header when painting
    bool wrapHeader = false;    // the approval header wraps in (66,27)-(width-10,40)
    DocumentRows rows;
    std::string viewUrl;
    std::string functionName;
    int subKind = 0;
    bool viewNever = false;  // schedules never offer View
    int viewWidth = 0;
    int viewHeight = 0;
    bool bizAppPresent = false;
};

// The pop-up of the document families: a header sentence, labelled rows, a clip, View and Ok.
class CDocumentPopup final : public CPopup {
public:
    CDocumentPopup(const PopupLook& look, DocumentContent content);

protected:
    bool ViewOffered() const override;
    std::function<void()> ViewOpener() const override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void PrepareRows();

    DocumentContent content_;
    std::vector<std::string> labels_;
    bool firstPaintPending_ = true;
    bool valuesLogged_ = false;
};

}  // namespace mirelo
