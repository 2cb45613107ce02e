// Keeps the library non-empty until its first source lands.
namespace builtin_host {
int placeholder = 0;
}
