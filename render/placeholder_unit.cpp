// The rendering library; this unit keeps it linkable before the first style lands.
namespace hg {
int renderLibraryVersion() { return 1; }
}  // namespace hg
