// fake_dialog.cpp: the fake dialog view's controls, operator actions and scripted boxes.
#include "tests/fakes/fake_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace lt::test {

namespace {

// The answer of the box's default button: the first, except where the box makes another the default.
ui::Answer defaultButton(ui::Buttons buttons) {
    switch (buttons) {
    case ui::Buttons::Ok:
    case ui::Buttons::OkCancel: return ui::Answer::Ok;
    case ui::Buttons::AbortRetryIgnore: return ui::Answer::Abort;
    case ui::Buttons::YesNo:
    case ui::Buttons::YesNoCancel: return ui::Answer::Yes;
    case ui::Buttons::RetryCancel: return ui::Answer::Retry;
    case ui::Buttons::YesNoDefaultNo: return ui::Answer::No;
    }
    return ui::Answer::Ok;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

constexpr uint32_t kWsDisabled = 0x08000000;
constexpr uint32_t kWsVisible = 0x10000000;

}  // namespace

FakeDialog::FakeDialog() : session_(std::make_shared<FakeSession>()) {}

FakeDialog::FakeDialog(const RcFile& rc) : rc_(&rc), session_(std::make_shared<FakeSession>()) {}

FakeDialog::FakeDialog(const RcFile& rc, int dialogId)
    : rc_(&rc), templateId_(dialogId), session_(std::make_shared<FakeSession>()) {
    const RcDialog* d = rc.dialog(dialogId);
    if (!d) {
        ADD_FAILURE() << "no dialog " << dialogId << " in the resource script";
        return;
    }
    title_ = d->caption;
    for (const auto& c : d->controls) {
        if (c.id == -1) continue;
        FakeControl& fc = add(c.id, c.kind, c.kind == ControlKind::Edit ? std::string() : c.text, c.style);
        fc.enabled = (c.style & kWsDisabled) == 0;
        fc.visible = (c.style & kWsVisible) != 0;
    }
}

FakeControl& FakeDialog::add(int id, ControlKind kind, std::string text, uint32_t style) {
    FakeControl& c = controls_[id];
    c.kind = kind;
    c.style = style;
    c.text = c.upperCase() ? upper(text) : std::move(text);
    return c;
}

FakeControl* FakeDialog::find(int id) {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

FakeControl& FakeDialog::control(int id) {
    if (FakeControl* c = find(id)) return *c;
    ADD_FAILURE() << "dialog " << templateId_ << " has no control " << id;
    static FakeControl none;
    none = FakeControl();
    return none;
}

void FakeDialog::open(ui::DialogLogic& logic) {
    logic_ = &logic;
    logic.attach(*this);
    logic.onInit();
}

// ---- Operator actions.

void FakeDialog::command(int id) {
    if (id == ui::kIdOk) logic_->onOk();
    else if (id == ui::kIdCancel) logic_->onCancel();
    else logic_->onCommand(id, ui::Notify::Clicked);
}

void FakeDialog::click(int id) {
    FakeControl* c = find(id);
    if (ended_ || !logic_ || !c) return;
    if (!c->enabled) return;
    if (c->isButton() || c->kind == ControlKind::CheckBox || c->kind == ControlKind::AutoCheckBox ||
        c->kind == ControlKind::Radio) {
        // The button takes the focus as the mouse goes down; when the box losing it
        // shows a message or takes the focus back, the click is lost.
        const std::size_t shown = session_->messages.size();
        setFocusTo(id, 0);
        if (ended_ || focused_ != id || session_->messages.size() != shown) return;
        if (c->kind == ControlKind::AutoCheckBox) c->checked = !c->checked;
    }
    command(id);
}

void FakeDialog::type(std::string_view chars) {
    for (const char ch : chars) {
        if (ended_ || !logic_) return;
        const int id = focused_;
        FakeControl* c = find(id);
        if (!c || !c->isEdit() || !c->enabled) continue;
        if (!logic_->filterChar(id, ch)) continue;
        c = find(id);
        const std::size_t selected = c->selected();
        if (ch == '\b') {
            if (selected != 0) c->text.erase(c->selectionFrom, selected);
            else if (!c->text.empty()) c->text.pop_back();
        } else if (static_cast<unsigned char>(ch) < 0x20) {
            continue;
        } else if (c->numbersOnly() && !std::isdigit(static_cast<unsigned char>(ch))) {
            ++session_->beeps;
            continue;
        } else if (c->limit != 0 && c->text.size() - selected >= c->limit) {
            ++session_->beeps;
            continue;
        } else {
            const char typed = c->upperCase() ? static_cast<char>(std::toupper(static_cast<unsigned char>(ch))) : ch;
            if (selected != 0) c->text.replace(c->selectionFrom, selected, 1, typed);
            else c->text += typed;
        }
        c->selectionFrom = c->selectionTo = 0;
        if (!ended_) logic_->onCommand(id, ui::Notify::Change);
    }
}

void FakeDialog::moveFocus(int id) {
    FakeControl* c = find(id);
    if (ended_ || !c || !c->enabled) return;
    setFocusTo(id, 0);
}

void FakeDialog::tabTo(int id) {
    FakeControl* c = find(id);
    if (ended_ || !c || !c->enabled) return;
    setFocusTo(id, 0);
    if (focused_ == id && c->isEdit()) {
        c->selectionFrom = 0;
        c->selectionTo = c->text.size();
    }
}

void FakeDialog::select(int id, std::size_t from, std::size_t to) {
    FakeControl* c = find(id);
    if (!c || !c->isEdit()) return;
    c->selectionFrom = std::min(from, c->text.size());
    c->selectionTo = std::min(std::max(to, c->selectionFrom), c->text.size());
}

void FakeDialog::pressEnter() {
    if (ended_ || !logic_) return;
    if (FakeControl* f = find(focused_); f && f->isButton()) {
        if (f->enabled) command(focused_);
        return;
    }
    for (auto& [id, c] : controls_) {
        if (c.kind == ControlKind::DefPushButton) {
            if (c.enabled) command(id);
            return;
        }
    }
    logic_->onOk();
}

void FakeDialog::pressEscape() {
    if (!ended_ && logic_) logic_->onCancel();
}

void FakeDialog::closeBox() {
    if (!ended_ && logic_) logic_->onCancel();
}

void FakeDialog::fireTimer(int timerId) {
    if (!ended_ && logic_ && timers_.count(timerId)) logic_->onTimer(timerId);
}

// ---- DialogView.

std::string FakeDialog::text(int id) {
    const FakeControl* c = find(id);
    return c ? c->text : std::string();
}

void FakeDialog::setText(int id, std::string_view text) {
    FakeControl* c = find(id);
    if (!c) return;
    c->text = c->upperCase() ? upper(text) : std::string(text);
    c->selectionFrom = c->selectionTo = 0;
    if (c->isEdit() && logic_ && !ended_) logic_->onCommand(id, ui::Notify::Change);
}

bool FakeDialog::checked(int id) {
    const FakeControl* c = find(id);
    return c && c->checked;
}

void FakeDialog::setChecked(int id, bool on) {
    if (FakeControl* c = find(id)) c->checked = on;
}

bool FakeDialog::enabled(int id) {
    const FakeControl* c = find(id);
    return c && c->enabled;
}

void FakeDialog::enable(int id, bool on) {
    if (FakeControl* c = find(id)) c->enabled = on;
}

void FakeDialog::focus(int id) {
    // As SetFocus: a disabled control cannot take the focus.
    if (FakeControl* c = find(id); c && c->enabled) setFocusTo(id, 0);
}

// The focus moves at once; the control losing it then reports it, and when its handler
// moves the focus again, that move stands.
void FakeDialog::setFocusTo(int id, int depth) {
    ++focusCalls_;
    if (focused_ == id || depth > 8) return;
    const int old = focused_;
    focused_ = id;
    FakeControl* previous = find(old);
    if (previous && previous->isEdit() && logic_ && !ended_) logic_->onFocusLost(old);
}

void FakeDialog::limitText(int id, uint32_t chars) {
    if (FakeControl* c = find(id)) c->limit = chars;
}

int FakeDialog::lineLength(int id) {
    const FakeControl* c = find(id);
    return c ? static_cast<int>(c->text.size() - c->selected()) : 0;
}

void FakeDialog::showNotice(int id, std::string_view text) {
    FakeControl* c = find(id);
    if (!c) return;
    c->text = std::string(text);
    c->visible = true;
    c->notice = true;
}

void FakeDialog::setListColumns(int id, std::span<const ui::ListColumn> columns) {
    if (FakeControl* c = find(id)) c->columns.assign(columns.begin(), columns.end());
}

void FakeDialog::clearList(int id) {
    if (FakeControl* c = find(id)) c->rows.clear();
}

void FakeDialog::addListRow(int id, std::span<const std::string> cells) {
    if (FakeControl* c = find(id)) c->rows.emplace_back(cells.begin(), cells.end());
}

void FakeDialog::addListGridLines(int id) {
    if (FakeControl* c = find(id)) c->gridLines = true;
}

ui::Answer FakeDialog::messageBox(std::string_view text, ui::Icon icon, ui::Buttons buttons, std::string_view caption) {
    ShownMessage m{std::string(text), std::string(caption), icon, buttons, templateId_, defaultButton(buttons)};
    if (!session_->answers.empty()) {
        m.answer = session_->answers.front();
        session_->answers.pop_front();
    } else if (session_->decide) {
        m.answer = session_->decide(m);
    }
    session_->messages.push_back(m);
    return m.answer;
}

void FakeDialog::endDialog(int code) {
    if (ended_) return;
    ended_ = true;
    endCode_ = code;
}

int FakeDialog::runChild(int templateId, ui::DialogLogic& logic) {
    session_->childrenRun.push_back(templateId);
    auto& queue = session_->childScripts[templateId];
    if (queue.empty()) {
        ADD_FAILURE() << "child dialog " << templateId << " opened with no script for it";
        return ui::kIdCancel;
    }
    ChildScript script = std::move(queue.front());
    queue.pop_front();
    FakeDialog child = rc_ ? FakeDialog(*rc_, templateId) : FakeDialog();
    child.session_ = session_;
    child.templateId_ = templateId;
    child.open(logic);
    if (!child.ended()) script(child);
    if (!child.ended()) child.closeBox();
    return child.ended() ? child.endCode() : ui::kIdCancel;
}

}  // namespace lt::test
