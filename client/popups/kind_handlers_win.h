#pragma once

#include <string>

#include "popups/kind_fields.h"

namespace mirelo {

// One handler per document family: it keeps the last notification of its family, builds its record
// line, plays its sound and shows a new pop-up for it.
class KindHandler {
public:
    virtual ~KindHandler() = default;

    // Decodes the payload of a notification dispatched as `kind`.
    void Decode(int kind, const char* payload, int length);
    bool Urgent() const { return fields_.IsUrgent(); }
    virtual std::string RecordLine(int kind) const = 0;
    // The families with a sound play it; messages and notices have none.
    virtual void PlaySound() const {}
    // Shows a new pop-up; returns the code to hand to local applications afterwards (0: none).
    virtual void Show() const = 0;
    // The code the family hands to local applications (the approval's sub-kind).
    int SubKind() const { return fields_.subKind; }
    const KindFields& Fields() const { return fields_; }

protected:
    KindHandler(const PayloadLayout& layout, int subKindIndex, int flagIndex)
        : layout_(layout), subKindIndex_(subKindIndex), flagIndex_(flagIndex) {}
    virtual void AfterDecode() {}
    int Kind() const { return kind_; }

    KindFields fields_;

private:
    int kind_ = 0;
    PayloadLayout layout_;
    int subKindIndex_;
    int flagIndex_;
};

class BbsHandler final : public KindHandler {
public:
    BbsHandler();
    std::string RecordLine(int kind) const override;
    void PlaySound() const override;
    void Show() const override;
};

class MailHandler final : public KindHandler {
public:
    MailHandler();
    std::string RecordLine(int kind) const override;
    void PlaySound() const override;
    void Show() const override;
};

class ScheduleHandler final : public KindHandler {
public:
    ScheduleHandler();
    std::string RecordLine(int kind) const override;
    void PlaySound() const override;
    void Show() const override;
};

class ApprovalHandler final : public KindHandler {
public:
    ApprovalHandler();
    std::string RecordLine(int kind) const override;
    void PlaySound() const override;
    void Show() const override;
    // The document-kind and action texts of the last approval, for speech and the received list.
    std::string DocumentKindText() const;
    std::string ActionText() const;

protected:
    void AfterDecode() override;
};

// Plays a notification sound by its bare file name from the string table, asynchronously.
void PlayNotificationSound(int stringId);

}  // namespace mirelo
