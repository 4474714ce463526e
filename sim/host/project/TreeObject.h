// One object of the host's tree: the root, the mixer and its channels, a channel's panner,
// quick controls, slot and equaliser, the instrument rack and its entries, instruments and
// their sub-objects, the project, its track list and tracks.
//
// Every object answers IHostObject. The further interfaces follow the object's role: tracks
// answer IHostTrack; instruments IHostParameterList and IHostInstrument; rack entries
// IHostInstrument (for the instrument they hold); channels with an insert list
// IHostPluginList; the project IHostProject.
//
// An object holds a reference to each of its children, members, parameters, sub-objects and
// plug-ins, a track to its channel, the project to its root and track list. Nothing points
// up except a value's owner link, which the owner cuts when it goes. The host builds the tree
// (throwing std::bad_alloc when memory runs out) and changes it through the host-side
// operations; the module only reads it and writes values. Host thread only.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "sdk/host/HostObjects.h"
#include "sim/host/project/DependencyRegistry.h"
#include "sim/host/project/HostLanguage.h"
#include "sim/host/kit/HostObject.h"
#include "sim/host/project/TreeValue.h"

namespace QentSim {

class TreeObject final
    : public HostObject<Brennholt::Hox::IHostObject, Brennholt::Hox::IHostParameterList,
                        Brennholt::Hox::IHostPluginList, Brennholt::Hox::IHostTrack,
                        Brennholt::Hox::IHostInstrument, Brennholt::Hox::IHostProject>,
      public TreeItem {
 public:
  enum class Role { kPlain, kTrack, kInstrument, kRackEntry, kProject };

  // A new object with one reference for the caller; throws std::bad_alloc.
  static Brennholt::IPtr<TreeObject> make(std::shared_ptr<DependencyRegistry> registry,
                                          std::string name, std::string title = {},
                                          Role role = Role::kPlain);

  // --- FUnknown: only the interfaces of the object's role -----------------------------------
  Brennholt::tresult queryInterface(const Brennholt::TUID iid, void** object) noexcept override;

  // --- IHostObject --------------------------------------------------------------------------
  const char* name() noexcept override { return name_.c_str(); }
  Brennholt::tresult getTitle(Brennholt::char16* text, Brennholt::int32 capacity) noexcept override;
  Brennholt::int32 childCount() noexcept override;
  Brennholt::tresult getChild(Brennholt::int32 index,
                              Brennholt::Hox::IHostObject** child) noexcept override;
  Brennholt::tresult getMember(const char* key,
                               Brennholt::Hox::IHostValue** value) noexcept override;
  Brennholt::tresult getTagTitle(Brennholt::int32 tag, Brennholt::char16* text,
                                 Brennholt::int32 capacity) noexcept override;
  Brennholt::tresult isClass(const char* word) noexcept override;

  // --- IHostParameterList (instruments and their sub-objects) -------------------------------
  Brennholt::int32 parameterCount() noexcept override;
  Brennholt::int32 parameterId(Brennholt::int32 index) noexcept override;
  Brennholt::tresult getParameter(Brennholt::int32 id,
                                  Brennholt::Hox::IHostValue** value) noexcept override;
  Brennholt::tresult getParameterTitle(Brennholt::int32 id, Brennholt::char16* text,
                                       Brennholt::int32 capacity) noexcept override;
  Brennholt::int32 subObjectCount() noexcept override;
  Brennholt::tresult getSubObject(Brennholt::int32 index,
                                  Brennholt::Hox::IHostObject** object) noexcept override;

  // --- IHostPluginList (channels with an insert list) ---------------------------------------
  Brennholt::int32 pluginCount() noexcept override;
  Brennholt::tresult getPlugin(Brennholt::int32 index,
                               Brennholt::Hox::IHostObject** plugin) noexcept override;

  // --- IHostTrack ---------------------------------------------------------------------------
  Brennholt::int32 selectedState() noexcept override { return selected_ ? 1 : 0; }
  Brennholt::tresult isMarkedSelected() noexcept override;
  Brennholt::tresult getChannel(Brennholt::Hox::IHostObject** channel) noexcept override;

  // --- IHostInstrument (instruments and rack entries) ---------------------------------------
  Brennholt::tresult isConnectedTo(Brennholt::Hox::IHostObject* channel) noexcept override;

  // --- IHostProject -------------------------------------------------------------------------
  Brennholt::tresult getTrackList(Brennholt::Hox::IHostObject** tracks) noexcept override;
  Brennholt::tresult isReady() noexcept override { return Brennholt::kResultOk; }

  // --- TreeItem -----------------------------------------------------------------------------
  Brennholt::FUnknown* itemIdentity() noexcept override { return identity(); }
  Brennholt::uint32 itemReferences() const noexcept override { return referenceCount(); }
  void heldItems(std::vector<TreeItem*>* out) const override;

  // --- building and changing (the host's side; may throw std::bad_alloc) --------------------
  const std::string& objectName() const { return name_; }
  Role role() const { return role_; }
  void addChild(Brennholt::IPtr<TreeObject> child);
  // Drops child `child`; false when it is none of this object's.
  bool removeChild(const TreeObject* child);
  const std::vector<Brennholt::IPtr<TreeObject>>& children() const { return children_; }
  // A member value under `key`; it becomes the value's owner.
  void addMember(const std::string& key, Brennholt::IPtr<TreeValue> value);
  TreeValue* member(std::string_view key) const;
  const std::vector<std::pair<std::string, Brennholt::IPtr<TreeValue>>>& members() const {
    return members_;
  }
  // Instruments and sub-objects: parameter `id`, owned by this object.
  void addParameter(Brennholt::int32 id, Brennholt::IPtr<TreeValue> value);
  TreeValue* parameter(Brennholt::int32 id) const;
  const std::vector<std::pair<Brennholt::int32, Brennholt::IPtr<TreeValue>>>& parameters() const {
    return parameters_;
  }
  // A sub-object with parameters of its own; it is also a child.
  void addSubObject(Brennholt::IPtr<TreeObject> object);
  const std::vector<Brennholt::IPtr<TreeObject>>& subObjects() const { return subObjects_; }
  // Channels: an insert list (possibly empty) that the module can ask for.
  void enablePluginList() { hasPluginList_ = true; }
  void addPlugin(Brennholt::IPtr<TreeObject> plugin);
  const std::vector<Brennholt::IPtr<TreeObject>>& plugins() const { return plugins_; }
  // Tracks.
  void setSelected(bool selected) { selected_ = selected; }
  bool selected() const { return selected_; }
  void setChannel(Brennholt::IPtr<TreeObject> channel) { channel_ = std::move(channel); }
  TreeObject* channel() const { return channel_.get(); }
  // Instruments: the channels they play; rack entries answer for the instrument they hold.
  void connect(const TreeObject* channel);
  void disconnect(const TreeObject* channel);
  bool isConnected(const TreeObject* channel) const;
  // The project: its root and its track list.
  void setProjectParts(Brennholt::IPtr<TreeObject> root, Brennholt::IPtr<TreeObject> tracks);
  TreeObject* root() const { return root_.get(); }
  TreeObject* trackList() const { return tracks_.get(); }
  // Titles by tag taken from a program table instead of the members: entry `program` of
  // `programs` for the integer value of `program`.
  void setProgramTitles(Brennholt::IPtr<TreeValue> program,
                        std::vector<std::map<Brennholt::int32, std::string>> programs);
  // Every object and value from this one down (children, members, parameters, plug-ins), each
  // once: what goes away with it. A track's channel goes with the track; instruments below it
  // (the one in a slot) stay unless `instrumentsToo`.
  void collect(std::vector<TreeItem*>* out, bool instrumentsToo) const;

 private:
  TreeObject(std::shared_ptr<DependencyRegistry> registry, std::string name, std::string title,
             Role role);
  ~TreeObject() override;

  bool answers(const Brennholt::TUID iid) const;
  void collectInto(std::vector<TreeItem*>* out, std::unordered_set<const TreeObject*>* seen,
                   bool instrumentsToo) const;

  std::shared_ptr<DependencyRegistry> registry_;
  std::string name_;
  std::string title_;
  Role role_;
  std::vector<Brennholt::IPtr<TreeObject>> children_;
  std::vector<std::pair<std::string, Brennholt::IPtr<TreeValue>>> members_;
  std::vector<std::pair<Brennholt::int32, Brennholt::IPtr<TreeValue>>> parameters_;
  std::vector<Brennholt::IPtr<TreeObject>> subObjects_;
  bool hasPluginList_ = false;
  std::vector<Brennholt::IPtr<TreeObject>> plugins_;
  bool selected_ = false;
  Brennholt::IPtr<TreeObject> channel_;
  std::vector<const TreeObject*> connected_;  // compared only, never followed
  Brennholt::IPtr<TreeObject> root_;
  Brennholt::IPtr<TreeObject> tracks_;
  Brennholt::IPtr<TreeValue> program_;
  std::vector<std::map<Brennholt::int32, std::string>> programTitles_;
};

}  // namespace QentSim
