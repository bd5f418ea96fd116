// Placeholder until the application core lands; keeps wirvela_app a real library.
namespace wirvela {
void AppCorePlaceholder() {}
}  // namespace wirvela
