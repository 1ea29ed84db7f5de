// Download links whose file is made when first clicked: a file that costs a
// run of the program (a CSV of a full-wave sweep solves the horn again) or a
// picture drawn for the purpose. `make()` resolves to a Blob, or to null
// when there is nothing to offer (the reason shown by the caller). While it
// is being made the link carries data-pending="running"; once made, its
// href is the file and a click downloads it as any link does.
export function lazyLink(a, make) {
  a.href = '#';
  a.dataset.pending = 'true';
  a.addEventListener('click', async (e) => {
    if (!a.dataset.pending) return;
    e.preventDefault();
    if (a.dataset.pending === 'running') return;
    a.dataset.pending = 'running';
    let blob = null;
    try {
      blob = await make();
    } finally {
      if (!blob) a.dataset.pending = 'true';
    }
    if (!blob) return;
    a.href = URL.createObjectURL(blob);
    delete a.dataset.pending;
    if (a.isConnected) a.click();
  });
}

// Releases the files of the links in `box`.
export function releaseLinks(box) {
  for (const a of box.querySelectorAll('a[href^="blob:"]')) URL.revokeObjectURL(a.href);
}
