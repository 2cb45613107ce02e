// Keeps the library non-empty until its first source lands; remove then.
namespace builtin_host {
int placeholder = 0;
}
