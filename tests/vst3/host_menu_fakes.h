#pragma once
// A host's context menu and a component handler that makes them, with IComponentHandler3 or
// without, for the controls' host menus: natively against the graphics framework, and under Wine
// through the module. The menu keeps what it was given - as a host with an asynchronous popup
// does - so that late calls can be made after the control has gone. Host objects count their
// references without deleting themselves. UI thread.

#include <string>
#include <utility>
#include <vector>

#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "vst3/vst3_text.h"

namespace plugfw::test {

// A host menu: records every entry with its target (holding a reference until it goes) and
// where it popped up.
class FakeHostMenu : public Steinberg::Vst::IContextMenu {
 public:
  struct Entry {
    std::string name;
    Steinberg::int32 tag;
    Steinberg::int32 flags;
    Steinberg::Vst::IContextMenuTarget* target;
  };

  ~FakeHostMenu() {
    for (const Entry& entry : entries) {
      if (entry.target) entry.target->release();
    }
  }

  Steinberg::int32 PLUGIN_API getItemCount() override {
    return static_cast<Steinberg::int32>(entries.size());
  }
  Steinberg::tresult PLUGIN_API getItem(Steinberg::int32, Item&,
                                        Steinberg::Vst::IContextMenuTarget**) override {
    return Steinberg::kNotImplemented;
  }
  Steinberg::tresult PLUGIN_API addItem(const Item& item,
                                        Steinberg::Vst::IContextMenuTarget* target) override {
    char name[256];
    Utf16ToUtf8(item.name, name, sizeof name);
    if (target) target->addRef();
    entries.push_back({name, item.tag, item.flags, target});
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API removeItem(const Item&, Steinberg::Vst::IContextMenuTarget*) override {
    return Steinberg::kNotImplemented;
  }
  Steinberg::tresult PLUGIN_API popup(Steinberg::UCoord x, Steinberg::UCoord y) override {
    popups.push_back({x, y});
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID, void** obj) override {
    *obj = nullptr;
    return Steinberg::kNoInterface;
  }
  Steinberg::uint32 PLUGIN_API addRef() override { return ++references; }
  Steinberg::uint32 PLUGIN_API release() override { return --references; }

  std::vector<Entry> entries;
  std::vector<std::pair<Steinberg::UCoord, Steinberg::UCoord>> popups;
  int references = 1;
};

// A component handler, with IComponentHandler3 or without.
class FakeHandler : public Steinberg::Vst::IComponentHandler, public Steinberg::Vst::IComponentHandler3 {
 public:
  explicit FakeHandler(bool givesMenus) : givesMenus_(givesMenus) {}

  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID, Steinberg::Vst::ParamValue) override {
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }
  Steinberg::Vst::IContextMenu* PLUGIN_API
  createContextMenu(Steinberg::IPlugView* view, const Steinberg::Vst::ParamID* paramId) override {
    requests.push_back({view, paramId != nullptr, paramId != nullptr ? *paramId : 0});
    if (!answersWithMenu) return nullptr;
    menu.addRef();
    return &menu;
  }
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override {
    if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Vst::IComponentHandler::iid) ||
        Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid)) {
      *obj = static_cast<Steinberg::Vst::IComponentHandler*>(this);
    } else if (givesMenus_ &&
               Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Vst::IComponentHandler3::iid)) {
      *obj = static_cast<Steinberg::Vst::IComponentHandler3*>(this);
    } else {
      *obj = nullptr;
      return Steinberg::kNoInterface;
    }
    addRef();
    return Steinberg::kResultOk;
  }
  Steinberg::uint32 PLUGIN_API addRef() override { return ++references; }
  Steinberg::uint32 PLUGIN_API release() override { return --references; }

  struct Request {
    Steinberg::IPlugView* view;
    bool hasParam;
    Steinberg::Vst::ParamID param;
  };
  std::vector<Request> requests;
  FakeHostMenu menu;
  bool answersWithMenu = true;
  int references = 1;

 private:
  bool givesMenus_;
};

}  // namespace plugfw::test
