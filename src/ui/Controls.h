// Toolkit-neutral models of the window parts the program uses. The logic reads and writes
// them as it would read and write real controls; a front end draws them and follows their
// changes, and calls the handler members (onClick, onTick...) when the user acts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ui {

// A colour as 0x00BBGGRR (red in the lowest byte).
using Color = std::int32_t;

inline constexpr Color kLightYellow = 0xC0FFFF;
inline constexpr Color kLightGreen = 0x80FF80;
inline constexpr Color kRed = 0xFF;
inline constexpr Color kWhite = 0xFFFFFF;

// Position and size in twips (1/1440 inch).
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Base of every control: geometry, visibility, enabled state and change listeners.
class Control {
public:
    using Listener = std::function<void()>;

    explicit Control(std::string name = {}, Rect geometry = {})
        : name_(std::move(name)), geometry_(geometry) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }
    const Rect& Geometry() const { return geometry_; }
    void SetGeometry(Rect r) { Set(geometry_, r); }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) {
        if (visible_ != v) {
            visible_ = v;
            Changed();
        }
    }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e) {
        if (enabled_ != e) {
            enabled_ = e;
            Changed();
        }
    }

    // A control inside a frame has its geometry relative to that frame.
    Control* Parent() const { return parent_; }
    void SetParent(Control* parent) { parent_ = parent; }

    // Called after every change of the model.
    void Subscribe(Listener listener) { listeners_.push_back(std::move(listener)); }

protected:
    void Changed() {
        for (auto& l : listeners_) l();
    }
    // Stores a property's new value and tells the listeners.
    template <typename T, typename V>
    void Set(T& field, V&& value) {
        field = std::forward<V>(value);
        Changed();
    }

private:
    std::string name_;
    Rect geometry_;
    Control* parent_ = nullptr;
    bool visible_ = true;
    bool enabled_ = true;
    std::vector<Listener> listeners_;
};

class Label : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { Set(caption_, std::move(c)); }
    // -1: the toolkit's default background.
    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c) { Set(backColor_, c); }

private:
    std::string caption_;
    Color backColor_ = -1;
};

class TextBox : public Control {
public:
    using Control::Control;
    const std::string& Text() const { return text_; }
    void SetText(std::string t) { Set(text_, std::move(t)); }
    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c) { Set(backColor_, c); }
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool m) { Set(multiLine_, m); }

    std::function<void()> onClick;
    // The typed character's code, by reference as the toolkit hands it.
    std::function<void(std::int16_t& keyAscii)> onKeyPress;

private:
    std::string text_;
    Color backColor_ = -1;
    bool multiLine_ = false;
};

class Button : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { Set(caption_, std::move(c)); }
    // Swatch buttons show a colour; -1 is the toolkit's default.
    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c) { Set(backColor_, c); }

    std::function<void()> onClick;

private:
    std::string caption_;
    Color backColor_ = -1;
};

class CheckBox : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { Set(caption_, std::move(c)); }
    bool Checked() const { return checked_; }
    void SetChecked(bool c) { Set(checked_, c); }

private:
    std::string caption_;
    bool checked_ = false;
};

class ListBox : public Control {
public:
    using Control::Control;
    const std::vector<std::string>& Items() const { return items_; }
    void Clear() {
        items_.clear();
        listIndex_ = -1;
        Changed();
    }
    void AddItem(std::string item) {
        items_.push_back(std::move(item));
        Changed();
    }
    // Selected position, -1 for none. Setting it runs onClick, as a real list box does.
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int i) {
        listIndex_ = (i >= 0 && i < static_cast<int>(items_.size())) ? i : -1;
        Changed();
        if (onClick) onClick();
    }
    Color BackColor() const { return backColor_; }
    void SetBackColor(Color c) { Set(backColor_, c); }

    std::function<void()> onClick;

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
    Color backColor_ = -1;
};

class ScrollBar : public Control {
public:
    using Control::Control;
    int Min() const { return min_; }
    int Max() const { return max_; }
    void SetRange(int min, int max) {
        min_ = min;
        max_ = max;
        Changed();
    }
    int Value() const { return value_; }
    // Runs onChange only when the value really changes, as a real scroll bar does.
    void SetValue(int v) {
        if (v < min_) v = min_;
        if (v > max_) v = max_;
        if (v == value_) return;
        value_ = v;
        Changed();
        if (onChange) onChange();
    }

    std::function<void()> onChange;

private:
    int min_ = 0;
    int max_ = 32767;
    int value_ = 0;
};

// A circle shape that previews line colour, line width, fill style and fill colour.
class Shape : public Control {
public:
    using Control::Control;
    Color BorderColor() const { return borderColor_; }
    void SetBorderColor(Color c) { Set(borderColor_, c); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w) { Set(borderWidth_, w); }
    // 0 solid, 1 transparent, 2 horizontal, 3 vertical, 4 upward diagonal,
    // 5 downward diagonal, 6 cross, 7 diagonal cross.
    int FillStyle() const { return fillStyle_; }
    void SetFillStyle(int s) { Set(fillStyle_, s); }
    Color FillColor() const { return fillColor_; }
    void SetFillColor(Color c) { Set(fillColor_, c); }

private:
    Color borderColor_ = 0;
    int borderWidth_ = 1;
    int fillStyle_ = 1;
    Color fillColor_ = 0;
};

class Frame : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { Set(caption_, std::move(c)); }

private:
    std::string caption_;
};

// A picture showing an icon by name ("sirenwatch" is the program's icon).
class Image : public Control {
public:
    using Control::Control;
    const std::string& Icon() const { return icon_; }
    void SetIcon(std::string i) { Set(icon_, std::move(i)); }

private:
    std::string icon_;
};

class MenuItem : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { Set(caption_, std::move(c)); }
    bool Checked() const { return checked_; }
    void SetChecked(bool c) { Set(checked_, c); }
    // Sub-items, in display order (not owned).
    const std::vector<MenuItem*>& Children() const { return children_; }
    void Add(MenuItem& child) { children_.push_back(&child); }

    std::function<void()> onClick;

private:
    std::string caption_;
    bool checked_ = false;
    std::vector<MenuItem*> children_;
};

// A window timer. The front end ticks it every Interval() ms while it is enabled;
// tests call Tick() by hand.
class Timer : public Control {
public:
    using Control::Control;
    int Interval() const { return interval_; }
    void SetInterval(int ms) { Set(interval_, ms); }
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerEnabled(bool e) {
        if (timerEnabled_ != e) {
            timerEnabled_ = e;
            Changed();
        }
    }
    void Tick() {
        if (timerEnabled_ && onTick) onTick();
    }

    std::function<void()> onTick;

private:
    int interval_ = 0;
    bool timerEnabled_ = false;
};

enum class WindowState { Normal, Minimized };

// A window: caption, icon, place in twips, state, and the controls it holds.
class Form : public Control {
public:
    using Control::Control;
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string c) { Set(caption_, std::move(c)); }
    const std::string& Icon() const { return icon_; }
    void SetIcon(std::string i) { Set(icon_, std::move(i)); }
    int Left() const { return Geometry().left; }
    int Top() const { return Geometry().top; }
    int Width() const { return Geometry().width; }
    int Height() const { return Geometry().height; }
    void SetLeft(int l) {
        Rect r = Geometry();
        r.left = l;
        SetGeometry(r);
    }
    void SetTop(int t) {
        Rect r = Geometry();
        r.top = t;
        SetGeometry(r);
    }
    WindowState State() const { return state_; }
    void SetState(WindowState s) { Set(state_, s); }

    // Shown means on screen; Hide() ends a modal display.
    bool Shown() const { return shown_; }
    void Show() {
        shown_ = true;
        Changed();
    }
    void Hide() {
        shown_ = false;
        Changed();
        if (onHide) onHide();
    }

    // The controls in creation order (not owned), for a front end that builds widgets.
    const std::vector<Control*>& Controls() const { return controls_; }
    // Top-level menu items, in menu-bar order.
    const std::vector<MenuItem*>& Menus() const { return menus_; }

    std::function<void()> onActivate;  // each time the form is shown
    std::function<void()> onHide;      // the front end ends a modal loop here
    std::function<void()> onClose;     // the user closes the window (title-bar close)

protected:
    template <typename T>
    T& Add(T& control) {
        controls_.push_back(&control);
        return control;
    }
    void AddMenu(MenuItem& m) { menus_.push_back(&m); }

private:
    std::string caption_;
    std::string icon_;
    WindowState state_ = WindowState::Normal;
    bool shown_ = false;
    std::vector<Control*> controls_;
    std::vector<MenuItem*> menus_;
};

}  // namespace ui
