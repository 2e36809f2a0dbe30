// The configuration library gathers the dialogs; this unit keeps it linkable
// before the first dialog lands.
namespace hg {
int configLibraryVersion() { return 1; }
}  // namespace hg
